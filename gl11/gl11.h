// The GL 1.1 layer's own interface: setting it up on a current OpenGL ES 3.0
// (or WebGL 2) context, and reading its state back for tests.
//
// The layer itself is the set of gl* and glu* entry points that the renderer
// calls, defined with the prototypes of <GL/gl.h> and <GL/glu.h> in
// gl11/gl11.cpp; a program links the layer in place of the system's OpenGL
// and GLU libraries. See the top of gl11/gl11.cpp for what is implemented.
#pragma once

#include <GL/gl.h>

#include <string>

// Looks up an OpenGL ES entry point by name ("glDrawArrays"); null when
// there is none: eglGetProcAddress natively, the emscripten lookup on the web.
using Gl11Proc = void (*)();
using Gl11ProcLoader = Gl11Proc (*)(const char* name);

// Loads the OpenGL ES 3.0 entry points through `load`, builds the layer's
// shader pair, vertex array and buffer on the current context, and puts every
// GL 1.1 state back to its initial value. Returns false with `error` set when
// an entry point is missing or the shaders do not build; the layer then draws
// nothing until a later call succeeds. Called again (on a WebGL context that
// was lost and restored, whose objects are gone), it forgets the objects it
// made before without deleting them and makes new ones.
bool Gl11Init(Gl11ProcLoader load, std::string& error);

// Deletes the layer's OpenGL ES objects (the context must still be current)
// and forgets its state; calls that reach OpenGL ES are ignored until the next
// Gl11Init.
void Gl11Shutdown();

// The matrix on top of the GL_MODELVIEW or GL_PROJECTION stack, column-major
// as OpenGL keeps it; null for any other mode.
const GLfloat* Gl11Matrix(GLenum mode);

// How many matrices the GL_MODELVIEW or GL_PROJECTION stack holds (1 when
// nothing is pushed); 0 for any other mode.
int Gl11StackDepth(GLenum mode);

// The first error recorded since the last call, as glGetError reports it
// (GL_NO_ERROR when there was none); the flag is cleared.
GLenum Gl11GetError();
