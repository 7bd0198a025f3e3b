#include "tests/render/gl_recorder.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

struct RecorderState {
  std::vector<GlCall> calls;
  std::vector<Matrix4> modelview{IdentityMatrix()};
  std::vector<Matrix4> projection{IdentityMatrix()};
  GLenum matrixMode = GL_MODELVIEW;
  std::function<void(const GlCall&)> observer;
};

RecorderState& State() {
  static RecorderState state;
  return state;
}

std::vector<Matrix4>& CurrentStack() {
  return State().matrixMode == GL_PROJECTION ? State().projection : State().modelview;
}

GlCall& Record(const char* name, std::vector<double> args) {
  State().calls.push_back({name, std::move(args), State().modelview.back(), {}});
  if (State().observer) State().observer(State().calls.back());
  return State().calls.back();
}

Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 r{};
  for (int column = 0; column < 4; ++column)
    for (int row = 0; row < 4; ++row)
      for (int k = 0; k < 4; ++k) r[column * 4 + row] += a[k * 4 + row] * b[column * 4 + k];
  return r;
}

}  // namespace

const std::vector<GlCall>& GlCalls() { return State().calls; }

void ResetGlRecorder() { State() = RecorderState{}; }

void ObserveGlCalls(std::function<void(const GlCall&)> observer) { State().observer = std::move(observer); }

Matrix4 IdentityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix4 Translated(const Matrix4& m, double x, double y, double z) {
  return Multiply(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1});
}

Matrix4 Rotated(const Matrix4& m, double degrees, double x, double y, double z) {
  const double length = std::sqrt(x * x + y * y + z * z);
  x /= length, y /= length, z /= length;
  const double a = degrees * 3.14159265358979323846 / 180.0, c = std::cos(a), s = std::sin(a);
  const double t = 1 - c;
  return Multiply(m, {x * x * t + c, y * x * t + z * s, x * z * t - y * s, 0,  //
                      x * y * t - z * s, y * y * t + c, y * z * t + x * s, 0,  //
                      x * z * t + y * s, y * z * t - x * s, z * z * t + c, 0,  //
                      0, 0, 0, 1});
}

Matrix4 Scaled(const Matrix4& m, double x, double y, double z) {
  return Multiply(m, {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1});
}

Vec3d Transform(const Matrix4& m, Vec3d p) {
  return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
          m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
          m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

// The entry points, with the real libraries' prototypes.
extern "C" {

void APIENTRY glShadeModel(GLenum mode) { Record("glShadeModel", {double(mode)}); }
void APIENTRY glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { Record("glClearColor", {r, g, b, a}); }
void APIENTRY glClearDepth(GLclampd depth) { Record("glClearDepth", {depth}); }
void APIENTRY glClear(GLbitfield mask) { Record("glClear", {double(mask)}); }
void APIENTRY glEnable(GLenum cap) { Record("glEnable", {double(cap)}); }
void APIENTRY glDisable(GLenum cap) { Record("glDisable", {double(cap)}); }
void APIENTRY glDepthFunc(GLenum func) { Record("glDepthFunc", {double(func)}); }
void APIENTRY glHint(GLenum target, GLenum mode) { Record("glHint", {double(target), double(mode)}); }
void APIENTRY glBlendFunc(GLenum s, GLenum d) { Record("glBlendFunc", {double(s), double(d)}); }
void APIENTRY glFlush(void) { Record("glFlush", {}); }

void APIENTRY glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
  Record("glViewport", {double(x), double(y), double(w), double(h)});
}

void APIENTRY glMatrixMode(GLenum mode) {
  Record("glMatrixMode", {double(mode)});
  State().matrixMode = mode;
}

void APIENTRY glLoadIdentity(void) {
  Record("glLoadIdentity", {});
  CurrentStack().back() = IdentityMatrix();
}

void APIENTRY glPushMatrix(void) {
  Record("glPushMatrix", {});
  CurrentStack().push_back(CurrentStack().back());
}

void APIENTRY glPopMatrix(void) {
  Record("glPopMatrix", {});
  if (CurrentStack().size() > 1) CurrentStack().pop_back();
  else Record("stack underflow", {});
}

void APIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  Record("glTranslatef", {x, y, z});
  CurrentStack().back() = Translated(CurrentStack().back(), x, y, z);
}

void APIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  Record("glRotatef", {angle, x, y, z});
  CurrentStack().back() = Rotated(CurrentStack().back(), angle, x, y, z);
}

void APIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) {
  Record("glScalef", {x, y, z});
  CurrentStack().back() = Scaled(CurrentStack().back(), x, y, z);
}

void APIENTRY glBegin(GLenum mode) { Record("glBegin", {double(mode)}); }
void APIENTRY glEnd(void) { Record("glEnd", {}); }
void APIENTRY glColor3f(GLfloat r, GLfloat g, GLfloat b) { Record("glColor3f", {r, g, b}); }
void APIENTRY glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { Record("glColor4f", {r, g, b, a}); }
void APIENTRY glTexCoord2i(GLint s, GLint t) { Record("glTexCoord2i", {double(s), double(t)}); }
void APIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) { Record("glVertex3f", {x, y, z}); }
void APIENTRY glVertex3d(GLdouble x, GLdouble y, GLdouble z) { Record("glVertex3d", {x, y, z}); }

void APIENTRY glBindTexture(GLenum target, GLuint texture) {
  Record("glBindTexture", {double(target), double(texture)});
}

void APIENTRY glTexParameteri(GLenum target, GLenum name, GLint value) {
  Record("glTexParameteri", {double(target), double(name), double(value)});
}

void APIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
  Record("gluPerspective", {fovy, aspect, zNear, zFar});
}

GLint APIENTRY gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                                 GLenum format, GLenum type, const void* data) {
  GlCall& call = Record("gluBuild2DMipmaps", {double(target), double(internalFormat), double(width),
                                              double(height), double(format), double(type)});
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  call.pixels.assign(bytes, bytes + width * height);
  return 0;
}

}  // extern "C"
