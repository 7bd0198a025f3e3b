// A stand-in for the GL 1.1 layer while the layer is not in the tree: the
// page's context and the entry points render/ calls, of which only the clear
// reaches WebGL. It lets the page run, with a black canvas, until the build
// links the layer instead.
#include <GL/gl.h>
#include <GL/glu.h>
#include <emscripten/html5.h>

#include "web/gl_context.h"

extern "C" {
void emscripten_glClear(GLbitfield mask);
void emscripten_glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
}

bool CreatePageGlContext(const char* canvasSelector, std::string& error) {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.alpha = EM_FALSE;
  attributes.antialias = EM_FALSE;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvasSelector, &attributes);
  if (context <= 0) {
    error = "Ombrel needs WebGL 2, which this browser does not offer here.";
    return false;
  }
  emscripten_webgl_make_context_current(context);
  return true;
}

void glClear(GLbitfield mask) { emscripten_glClear(mask); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { emscripten_glClearColor(r, g, b, a); }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { emscripten_glViewport(x, y, w, h); }
void glBegin(GLenum) {}
void glEnd() {}
void glBindTexture(GLenum, GLuint) {}
void glBlendFunc(GLenum, GLenum) {}
void glClearDepth(GLclampd) {}
void glColor3f(GLfloat, GLfloat, GLfloat) {}
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glColor4fv(const GLfloat*) {}
void glDepthFunc(GLenum) {}
void glDisable(GLenum) {}
void glEnable(GLenum) {}
void glFlush() {}
void glHint(GLenum, GLenum) {}
void glLoadIdentity() {}
void glMatrixMode(GLenum) {}
void glPopMatrix() {}
void glPushMatrix() {}
void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glScalef(GLfloat, GLfloat, GLfloat) {}
void glShadeModel(GLenum) {}
void glTexCoord2i(GLint, GLint) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glVertex3d(GLdouble, GLdouble, GLdouble) {}
void glVertex3f(GLfloat, GLfloat, GLfloat) {}
void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}
GLint gluBuild2DMipmaps(GLenum, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*) { return 0; }
