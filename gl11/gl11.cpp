// A GL 1.1 layer over OpenGL ES 3.0 and WebGL 2: the fixed-function
// entry points that render/ calls, and no others, defined here in place of
// the system's OpenGL and GLU libraries. It keeps GL 1.1's state in one
// record (`Gl11`) and draws with one shader pair, linked without and with
// texturing.
//
// Implemented
//   - Matrices: glMatrixMode (GL_MODELVIEW, GL_PROJECTION), glLoadIdentity,
//     glPushMatrix and glPopMatrix on stacks of 32 (pushing a full stack or
//     popping the last matrix records GL_STACK_OVERFLOW or GL_STACK_UNDERFLOW
//     and changes nothing), glTranslatef, glRotatef, glScalef, gluPerspective.
//     Matrices are single-precision floats, as OpenGL keeps them.
//   - Immediate mode: glBegin and glEnd with GL_TRIANGLES,
//     GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS, GL_QUAD_STRIP and
//     GL_POLYGON; glColor3f, glColor4f, glTexCoord2i, glVertex3f, glVertex3d.
//     Colours are clamped to [0, 1] per vertex, as the fixed pipeline does.
//   - glShadeModel: GL_SMOOTH, and GL_FLAT with GL 1.1's provoking vertices
//     (the last vertex of each primitive, the first of a polygon).
//   - Texturing: glEnable and glDisable of GL_TEXTURE_2D, glBindTexture with
//     any name (the first bind makes the OpenGL ES texture, as GL 1.1 makes a
//     texture object), glTexParameteri with the parameters OpenGL ES knows,
//     gluBuild2DMipmaps, and the default texture environment GL_MODULATE.
//     A texture that has no image yet turns texturing off, as in GL 1.1.
//   - gluBuild2DMipmaps of power-of-two images of GL_UNSIGNED_BYTE in
//     GL_ALPHA, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB or GL_RGBA, rows
//     aligned to 4 bytes (GL's default unpacking): GLU's box-filtered levels
//     (gl11/mipmaps.h; for the renderer's sprite the very bytes of Debian's
//     GLU), uploaded one by one.
//   - glEnable and glDisable of GL_BLEND and GL_DEPTH_TEST, glBlendFunc,
//     glDepthFunc, glClearColor, glClearDepth, glClear, glViewport, glFlush.
//   - glHint is accepted and changes nothing: OpenGL ES always interpolates
//     with perspective correction, which is what GL_NICEST asks for.
//   - Errors as GL 1.1 records them (read with Gl11GetError): a bad enum or
//     value, or any call but glColor, glTexCoord and glVertex between glBegin
//     and glEnd, records the error and does nothing else.
//
// Not implemented
//   - Points and lines: glBegin with GL_POINTS or a line mode records
//     GL_INVALID_ENUM and the vertices up to glEnd are dropped.
//   - Every other entry point: lighting and normals, fog, display lists,
//     vertex arrays, glGetError (Gl11GetError stands in for it), the texture
//     matrix, texture environments other than GL_MODULATE, glTexImage2D,
//     glDeleteTextures, glPixelStorei, glReadPixels, other capabilities of
//     glEnable (they record GL_INVALID_ENUM).
//   - gluBuild2DMipmaps of images whose sides are not powers of two (GLU
//     would rescale them first), of other types than GL_UNSIGNED_BYTE, or into
//     an internal format other than the data's own: GLU_INVALID_VALUE or
//     GLU_INVALID_ENUM, and nothing is uploaded.
//   - The accumulation buffer: glClear ignores its bit.
//
// How it draws
//   glVertex transforms its vertex on the CPU into clip coordinates by the
//   product of the projection and model-view matrices in force, so a matrix
//   change between primitives costs no draw call (render/ sets a model-view
//   for every sprite). glEnd turns its primitive into triangles and appends
//   them to one batch. The batch goes to OpenGL ES in one buffer upload (into
//   a buffer kept at the largest batch's size) and one glDrawArrays just
//   before anything that would change how it is drawn (texturing, the bound
//   texture, its parameters or images, blending, depth, the viewport), before
//   glClear and at glFlush: one of render/'s frames is two draw calls
//   whatever the number of particles.
//   A quad is split into the triangles (1, 2, 3) and (1, 3, 4) of its
//   vertices, as Mesa's rasteriser splits GL_QUADS, so that a smooth-shaded
//   quad blends its four corner colours the same way on both (the other
//   diagonal draws visibly different streaks across the cube's cells).
//
// Only OpenGL ES 3.0 calls that WebGL 2 also has are made, shaders are GLSL
// ES 3.00, vertices always come from a buffer, and no extension is used.
#include "gl11/gl11.h"

#include <GL/gl.h>
#include <GL/glu.h>
// The OpenGL ES types and function-pointer types only: the layer defines the
// GL entry points itself and calls OpenGL ES through pointers it loads.
#define GL_GLES_PROTOTYPES 0
#include <GLES3/gl3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gl11/gles_functions.h"
#include "gl11/mipmaps.h"

namespace {

struct GlesFunctions {
#define GL11_DECLARE(name, type) type name = nullptr;
  GL11_GLES_FUNCTIONS(GL11_DECLARE)
#undef GL11_DECLARE
};

// The shader pair. The vertex shader passes on what the CPU computed; the
// fragment shader applies GL_MODULATE. It is linked twice, without and with
// TEXTURED: the software rasterisers run both sides of a branch, so one
// program that chose by a uniform would sample the texture for the
// untextured cells too (about a fifth more time per frame on llvmpipe).
constexpr const char* kVertexShader = R"(
layout(location = 0) in vec4 position;
layout(location = 1) in vec4 colour;
layout(location = 2) in vec2 texCoord;
out vec4 vertexColour;
out vec2 vertexTexCoord;
void main() {
  gl_Position = position;
  vertexColour = colour;
  vertexTexCoord = texCoord;
}
)";

// texelFloor is (1, 1, 1, 0) for an alpha-only texture, whose colour GL 1.1
// takes as white where OpenGL ES samples black, and 0 otherwise.
constexpr const char* kFragmentShader = R"(
precision highp float;
in vec4 vertexColour;
in vec2 vertexTexCoord;
layout(location = 0) out vec4 fragmentColour;
#ifdef TEXTURED
uniform highp sampler2D image;
uniform vec4 texelFloor;
#endif
void main() {
#ifdef TEXTURED
  fragmentColour = vertexColour * max(texture(image, vertexTexCoord), texelFloor);
#else
  fragmentColour = vertexColour;
#endif
}
)";

using Matrix = std::array<GLfloat, 16>;  // column-major
constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr int kStackDepth = 32;

struct MatrixStack {
  std::array<Matrix, kStackDepth> Entries{kIdentity};
  int Depth = 1;
};

// One vertex as the shaders take it: clip coordinates, clamped colour,
// texture coordinate.
struct Vertex {
  GLfloat Position[4];
  GLfloat Colour[4];
  GLfloat TexCoord[2];
};

struct TextureObject {
  GLuint Name;          // the GL 1.1 name render/ binds
  GLuint Gles;          // the OpenGL ES texture behind it
  bool HasImage;        // gluBuild2DMipmaps has filled it
  bool AlphaOnly;       // its image is GL_ALPHA
};

struct Gl11State {
  // OpenGL ES: the loaded entry points and the layer's objects.
  GlesFunctions Gles;
  bool Ready = false;
  GLuint PlainProgram = 0, TexturedProgram = 0, VertexArray = 0, Buffer = 0;
  GLint TexelFloorLocation = -1;
  GLsizeiptr BufferBytes = 0;  // the vertex buffer's size

  GLenum Error = GL_NO_ERROR;

  // Transformation.
  GLenum MatrixMode = GL_MODELVIEW;
  MatrixStack Modelview, Projection;
  Matrix ModelviewProjection = kIdentity;
  bool ModelviewProjectionStale = false;

  // Current vertex data, as glColor and glTexCoord leave it.
  GLfloat Colour[4] = {1, 1, 1, 1};
  GLfloat TexCoord[2] = {0, 0};

  // Pipeline state, with GL 1.1's initial values.
  GLenum ShadeModel = GL_SMOOTH;
  bool Texture2D = false, Blend = false, DepthTest = false;
  GLenum BlendSource = GL_ONE, BlendDestination = GL_ZERO, DepthFunc = GL_LESS;
  GLuint BoundTexture = 0;
  std::vector<TextureObject> Textures;

  // Immediate mode: the primitive between glBegin and glEnd, and the
  // triangles not drawn yet.
  bool InsidePrimitive = false;
  GLenum PrimitiveMode = GL_TRIANGLES;
  std::vector<Vertex> Primitive;
  std::vector<Vertex> Batch;
};

Gl11State Gl11;

void SetError(GLenum error) {
  if (Gl11.Error == GL_NO_ERROR) Gl11.Error = error;
}

// Between glBegin and glEnd GL 1.1 takes only vertex data: any other call
// records GL_INVALID_OPERATION and is ignored.
bool RejectedInsidePrimitive() {
  if (Gl11.InsidePrimitive) SetError(GL_INVALID_OPERATION);
  return Gl11.InsidePrimitive;
}

// ---- Texture objects ----

// The texture object of `name`, or null while nothing has made it.
TextureObject* FindTexture(GLuint name) {
  for (TextureObject& t : Gl11.Textures)
    if (t.Name == name) return &t;
  return nullptr;
}

// Binds the OpenGL ES texture behind GL 1.1's bound name, made at its first
// bind as GL 1.1 makes a texture object, and returns its object; null before
// Gl11Init.
TextureObject* BindGlesTexture() {
  TextureObject* t = FindTexture(Gl11.BoundTexture);
  if (t == nullptr) {
    if (!Gl11.Ready) return nullptr;
    t = &Gl11.Textures.emplace_back(TextureObject{Gl11.BoundTexture, 0, false, false});
    Gl11.Gles.GenTextures(1, &t->Gles);
  }
  Gl11.Gles.BindTexture(GL_TEXTURE_2D, t->Gles);
  return t;
}

// ---- Drawing the batch ----

// The batch into the vertex buffer, which keeps the largest size any batch
// has needed: a batch that fits orphans the buffer's storage (so that
// OpenGL ES need not wait for draws still reading it) and is written over
// the start of the new one. On the page this measured no slower than one
// bufferData of each batch (bench/web_frame_rate.mjs; see the README).
void UploadBatch(const GlesFunctions& gl) {
  const auto bytes = static_cast<GLsizeiptr>(Gl11.Batch.size() * sizeof(Vertex));
  if (bytes > Gl11.BufferBytes) {
    gl.BufferData(GL_ARRAY_BUFFER, bytes, Gl11.Batch.data(), GL_STREAM_DRAW);
    Gl11.BufferBytes = bytes;
  } else {
    gl.BufferData(GL_ARRAY_BUFFER, Gl11.BufferBytes, nullptr, GL_STREAM_DRAW);
    gl.BufferSubData(GL_ARRAY_BUFFER, 0, bytes, Gl11.Batch.data());
  }
}

void DrawBatch() {
  if (Gl11.Batch.empty()) return;
  if (Gl11.Ready) {
    const TextureObject* texture = Gl11.Texture2D ? FindTexture(Gl11.BoundTexture) : nullptr;
    if (texture && !texture->HasImage) texture = nullptr;  // no image: untextured, as in GL 1.1
    const GlesFunctions& gl = Gl11.Gles;
    gl.UseProgram(texture ? Gl11.TexturedProgram : Gl11.PlainProgram);
    if (texture) {
      const GLfloat floor = texture->AlphaOnly ? 1.0f : 0.0f;
      gl.Uniform4f(Gl11.TexelFloorLocation, floor, floor, floor, 0.0f);
    }
    UploadBatch(gl);
    gl.DrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(Gl11.Batch.size()));
  }
  Gl11.Batch.clear();
}

// A change to the bound texture's parameters or images reaches what is
// already batched only while texturing is on.
void DrawBatchBeforeTextureChange() {
  if (Gl11.Texture2D) DrawBatch();
}

// ---- Matrices ----

MatrixStack& CurrentStack() {
  return Gl11.MatrixMode == GL_PROJECTION ? Gl11.Projection : Gl11.Modelview;
}

// The top of the current stack, for a change: the product both stacks make
// is computed again at the next vertex.
Matrix& EditTop() {
  MatrixStack& stack = CurrentStack();
  Gl11.ModelviewProjectionStale = true;
  return stack.Entries[stack.Depth - 1];
}

// a x b, in single precision as OpenGL multiplies.
Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int column = 0; column < 4; ++column)
    for (int row = 0; row < 4; ++row)
      r[4 * column + row] = a[row] * b[4 * column] + a[4 + row] * b[4 * column + 1] +
                            a[8 + row] * b[4 * column + 2] + a[12 + row] * b[4 * column + 3];
  return r;
}

void MultiplyTop(const Matrix& m) {
  Matrix& top = EditTop();
  top = Multiply(top, m);
}

// The rotation by `degrees` about (x, y, z), as glRotate defines it, all in
// single precision: the angle in radians is rounded to a float before its
// sine and cosine are taken, as Mesa does. (With the sine of the unrounded
// angle some vertices land a last bit away from Mesa's, enough to move a
// sprite's edge across a pixel centre now and then.) About a coordinate axis
// the matrix keeps its exact zeros and ones.
Matrix Rotation(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z) {
  const auto radians = static_cast<GLfloat>(degrees * 3.14159265358979323846 / 180.0);
  GLfloat s = std::sin(radians);
  const GLfloat c = std::cos(radians);
  Matrix r = kIdentity;
  if (y == 0 && z == 0) {
    if (x < 0) s = -s;
    r[5] = c, r[6] = s, r[9] = -s, r[10] = c;
  } else if (x == 0 && z == 0) {
    if (y < 0) s = -s;
    r[0] = c, r[2] = -s, r[8] = s, r[10] = c;
  } else if (x == 0 && y == 0) {
    if (z < 0) s = -s;
    r[0] = c, r[1] = s, r[4] = -s, r[5] = c;
  } else {
    const GLfloat length = std::sqrt(x * x + y * y + z * z);
    x /= length, y /= length, z /= length;
    const GLfloat t = 1 - c;
    r[0] = x * x * t + c, r[4] = x * y * t - z * s, r[8] = x * z * t + y * s;
    r[1] = y * x * t + z * s, r[5] = y * y * t + c, r[9] = y * z * t - x * s;
    r[2] = x * z * t - y * s, r[6] = y * z * t + x * s, r[10] = z * z * t + c;
  }
  return r;
}

const Matrix& ModelviewProjection() {
  if (Gl11.ModelviewProjectionStale) {
    Gl11.ModelviewProjection = Multiply(Gl11.Projection.Entries[Gl11.Projection.Depth - 1],
                                        Gl11.Modelview.Entries[Gl11.Modelview.Depth - 1]);
    Gl11.ModelviewProjectionStale = false;
  }
  return Gl11.ModelviewProjection;
}

// ---- Primitives into triangles ----

void AddTriangle(size_t a, size_t b, size_t c, size_t provoking) {
  const std::vector<Vertex>& p = Gl11.Primitive;
  for (size_t i : {a, b, c}) {
    Gl11.Batch.push_back(p[i]);
    if (Gl11.ShadeModel == GL_FLAT) std::copy_n(p[provoking].Colour, 4, Gl11.Batch.back().Colour);
  }
}

// A quad with its vertices in boundary order; flat-shaded by the last.
void AddQuad(size_t a, size_t b, size_t c, size_t d) {
  AddTriangle(a, b, c, d);
  AddTriangle(a, c, d, d);
}

void AssemblePrimitive() {
  const size_t n = Gl11.Primitive.size();
  switch (Gl11.PrimitiveMode) {
    case GL_TRIANGLES:
      for (size_t i = 0; i + 2 < n; i += 3) AddTriangle(i, i + 1, i + 2, i + 2);
      break;
    case GL_TRIANGLE_STRIP:
      // Every other triangle swaps its first two vertices to keep the
      // strip's orientation.
      for (size_t i = 2; i < n; ++i)
        i % 2 == 0 ? AddTriangle(i - 2, i - 1, i, i) : AddTriangle(i - 1, i - 2, i, i);
      break;
    case GL_TRIANGLE_FAN:
      for (size_t i = 2; i < n; ++i) AddTriangle(0, i - 1, i, i);
      break;
    case GL_POLYGON:
      for (size_t i = 2; i < n; ++i) AddTriangle(0, i - 1, i, 0);
      break;
    case GL_QUADS:
      for (size_t i = 0; i + 3 < n; i += 4) AddQuad(i, i + 1, i + 2, i + 3);
      break;
    case GL_QUAD_STRIP:
      for (size_t i = 0; i + 3 < n; i += 2) AddQuad(i, i + 1, i + 3, i + 2);
      break;
    default:  // an unsupported mode: glBegin recorded the error
      break;
  }
  Gl11.Primitive.clear();
}

// ---- Setting up OpenGL ES ----

bool LoadFunctions(Gl11ProcLoader load, GlesFunctions& gl, std::string& error) {
#define GL11_LOAD(name, type)                                 \
  gl.name = reinterpret_cast<type>(load("gl" #name));         \
  if (gl.name == nullptr) {                                   \
    error = "OpenGL ES has no gl" #name;                      \
    return false;                                             \
  }
  GL11_GLES_FUNCTIONS(GL11_LOAD)
#undef GL11_LOAD
  return true;
}

// Compiles `body` as GLSL ES 3.00, after `defines`.
GLuint CompileShader(const GlesFunctions& gl, GLenum type, const char* defines, const char* body,
                     std::string& error) {
  const GLuint shader = gl.CreateShader(type);
  const char* sources[] = {"#version 300 es\n", defines, body};
  gl.ShaderSource(shader, 3, sources, nullptr);
  gl.CompileShader(shader);
  GLint compiled = GL_FALSE;
  gl.GetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (compiled) return shader;
  char log[1024] = "";
  gl.GetShaderInfoLog(shader, sizeof log, nullptr, log);
  error = std::string("the layer's ") + (type == GL_VERTEX_SHADER ? "vertex" : "fragment") +
          " shader does not compile: " + log;
  gl.DeleteShader(shader);
  return 0;
}

// The shader pair linked with `defines` in the fragment shader; 0 on failure.
GLuint BuildProgram(const GlesFunctions& gl, const char* defines, std::string& error) {
  const GLuint vertex = CompileShader(gl, GL_VERTEX_SHADER, "", kVertexShader, error);
  if (vertex == 0) return 0;
  const GLuint fragment = CompileShader(gl, GL_FRAGMENT_SHADER, defines, kFragmentShader, error);
  if (fragment == 0) {
    gl.DeleteShader(vertex);
    return 0;
  }
  const GLuint program = gl.CreateProgram();
  gl.AttachShader(program, vertex);
  gl.AttachShader(program, fragment);
  gl.LinkProgram(program);
  gl.DeleteShader(vertex);
  gl.DeleteShader(fragment);
  GLint linked = GL_FALSE;
  gl.GetProgramiv(program, GL_LINK_STATUS, &linked);
  if (linked) return program;
  char log[1024] = "";
  gl.GetProgramInfoLog(program, sizeof log, nullptr, log);
  error = std::string("the layer's shaders do not link: ") + log;
  gl.DeleteProgram(program);
  return 0;
}

bool BuildPrograms(const GlesFunctions& gl, std::string& error) {
  Gl11.PlainProgram = BuildProgram(gl, "", error);
  if (Gl11.PlainProgram == 0) return false;
  Gl11.TexturedProgram = BuildProgram(gl, "#define TEXTURED\n", error);
  if (Gl11.TexturedProgram == 0) {
    gl.DeleteProgram(Gl11.PlainProgram);
    return false;
  }
  Gl11.TexelFloorLocation = gl.GetUniformLocation(Gl11.TexturedProgram, "texelFloor");
  gl.UseProgram(Gl11.TexturedProgram);
  gl.Uniform1i(gl.GetUniformLocation(Gl11.TexturedProgram, "image"), 0);
  return true;
}

void CreateVertexArray(const GlesFunctions& gl) {
  gl.GenVertexArrays(1, &Gl11.VertexArray);
  gl.BindVertexArray(Gl11.VertexArray);
  gl.GenBuffers(1, &Gl11.Buffer);
  gl.BindBuffer(GL_ARRAY_BUFFER, Gl11.Buffer);
  const auto attribute = [&](GLuint location, GLint size, size_t offset) {
    gl.VertexAttribPointer(location, size, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                           reinterpret_cast<const void*>(offset));
    gl.EnableVertexAttribArray(location);
  };
  attribute(0, 4, offsetof(Vertex, Position));
  attribute(1, 4, offsetof(Vertex, Colour));
  attribute(2, 2, offsetof(Vertex, TexCoord));
}

// Puts the OpenGL ES state that the layer's record mirrors where the record
// starts, whatever was done with the context before Gl11Init: blending and
// the depth test off, their functions, the clear colour and depth as GL 1.1
// starts them. Rows are unpacked tightly, as the layer's box-filtered levels
// are packed.
void SetInitialGlesState(const GlesFunctions& gl) {
  gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gl.Disable(GL_BLEND);
  gl.Disable(GL_DEPTH_TEST);
  gl.BlendFunc(GL_ONE, GL_ZERO);
  gl.DepthFunc(GL_LESS);
  gl.ClearColor(0, 0, 0, 0);
  gl.ClearDepthf(1);
}

// ---- Checking arguments ----

// The bytes per pixel of an image in `format`; 0 for a format the layer
// does not take.
int ComponentsOf(GLenum format) {
  switch (format) {
    case GL_ALPHA:
    case GL_LUMINANCE:
      return 1;
    case GL_LUMINANCE_ALPHA:
      return 2;
    case GL_RGB:
      return 3;
    case GL_RGBA:
      return 4;
    default:
      return 0;
  }
}

bool IsPowerOfTwo(GLsizei n) { return n > 0 && (n & (n - 1)) == 0; }

// GL 1.1's blend factors: GL_ZERO, GL_ONE and GL_SRC_COLOR to
// GL_SRC_ALPHA_SATURATE, which only a source may use.
bool IsBlendFactor(GLenum factor, bool source) {
  return factor == GL_ZERO || factor == GL_ONE ||
         (factor >= GL_SRC_COLOR && factor <= GL_SRC_ALPHA_SATURATE &&
          (source || factor != GL_SRC_ALPHA_SATURATE));
}

// glEnable and glDisable: only GL_TEXTURE_2D, GL_BLEND and GL_DEPTH_TEST;
// any other capability records GL_INVALID_ENUM.
void SetCapability(GLenum cap, bool on) {
  if (RejectedInsidePrimitive()) return;
  bool* flag = cap == GL_TEXTURE_2D ? &Gl11.Texture2D
               : cap == GL_BLEND      ? &Gl11.Blend
               : cap == GL_DEPTH_TEST ? &Gl11.DepthTest
                                      : nullptr;
  if (flag == nullptr) return SetError(GL_INVALID_ENUM);
  if (*flag == on) return;
  DrawBatch();
  *flag = on;
  // Texturing is the shader's business; the others are OpenGL ES's own.
  if (cap == GL_TEXTURE_2D || !Gl11.Ready) return;
  if (on) Gl11.Gles.Enable(cap);
  else Gl11.Gles.Disable(cap);
}

}  // namespace

// ---- The layer's own interface ----

bool Gl11Init(Gl11ProcLoader load, std::string& error) {
  Gl11 = Gl11State{};
  GlesFunctions gl;
  if (!LoadFunctions(load, gl, error) || !BuildPrograms(gl, error)) {
    Gl11 = Gl11State{};
    return false;
  }
  CreateVertexArray(gl);
  SetInitialGlesState(gl);
  Gl11.Gles = gl;
  Gl11.Ready = true;
  return true;
}

void Gl11Shutdown() {
  if (Gl11.Ready) {
    const GlesFunctions& gl = Gl11.Gles;
    for (const TextureObject& t : Gl11.Textures) gl.DeleteTextures(1, &t.Gles);
    gl.DeleteBuffers(1, &Gl11.Buffer);
    gl.DeleteVertexArrays(1, &Gl11.VertexArray);
    gl.DeleteProgram(Gl11.PlainProgram);
    gl.DeleteProgram(Gl11.TexturedProgram);
  }
  Gl11 = Gl11State{};
}

const GLfloat* Gl11Matrix(GLenum mode) {
  if (mode == GL_MODELVIEW) return Gl11.Modelview.Entries[Gl11.Modelview.Depth - 1].data();
  if (mode == GL_PROJECTION) return Gl11.Projection.Entries[Gl11.Projection.Depth - 1].data();
  return nullptr;
}

int Gl11StackDepth(GLenum mode) {
  if (mode == GL_MODELVIEW) return Gl11.Modelview.Depth;
  if (mode == GL_PROJECTION) return Gl11.Projection.Depth;
  return 0;
}

GLenum Gl11GetError() {
  const GLenum error = Gl11.Error;
  Gl11.Error = GL_NO_ERROR;
  return error;
}

// ---- The GL 1.1 and GLU entry points, with the system libraries' prototypes ----

extern "C" {

void APIENTRY glMatrixMode(GLenum mode) {
  if (RejectedInsidePrimitive()) return;
  if (mode != GL_MODELVIEW && mode != GL_PROJECTION) return SetError(GL_INVALID_ENUM);
  Gl11.MatrixMode = mode;
}

void APIENTRY glLoadIdentity(void) {
  if (RejectedInsidePrimitive()) return;
  EditTop() = kIdentity;
}

void APIENTRY glPushMatrix(void) {
  if (RejectedInsidePrimitive()) return;
  MatrixStack& stack = CurrentStack();
  if (stack.Depth == kStackDepth) return SetError(GL_STACK_OVERFLOW);
  stack.Entries[stack.Depth] = stack.Entries[stack.Depth - 1];
  ++stack.Depth;
}

void APIENTRY glPopMatrix(void) {
  if (RejectedInsidePrimitive()) return;
  MatrixStack& stack = CurrentStack();
  if (stack.Depth == 1) return SetError(GL_STACK_UNDERFLOW);
  --stack.Depth;
  Gl11.ModelviewProjectionStale = true;
}

void APIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  if (RejectedInsidePrimitive()) return;
  Matrix& m = EditTop();
  for (int i = 0; i < 4; ++i) m[12 + i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
}

void APIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) {
  if (RejectedInsidePrimitive()) return;
  Matrix& m = EditTop();
  for (int i = 0; i < 4; ++i) m[i] *= x, m[4 + i] *= y, m[8 + i] *= z;
}

void APIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  if (RejectedInsidePrimitive()) return;
  // A rotation about no axis is no rotation (rather than a matrix of NaNs).
  if (x == 0 && y == 0 && z == 0) return;
  MultiplyTop(Rotation(angle, x, y, z));
}

void APIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
  if (RejectedInsidePrimitive()) return;
  const double radians = fovy / 2 * 3.14159265358979323846 / 180;
  const double depth = zFar - zNear, sine = std::sin(radians);
  // No perspective can be made of these, and GLU leaves the matrix as it is.
  if (depth == 0 || sine == 0 || aspect == 0) return;
  const double cotangent = std::cos(radians) / sine;
  Matrix m{};
  m[0] = static_cast<GLfloat>(cotangent / aspect);
  m[5] = static_cast<GLfloat>(cotangent);
  m[10] = static_cast<GLfloat>(-(zFar + zNear) / depth);
  m[11] = -1;
  m[14] = static_cast<GLfloat>(-2 * zNear * zFar / depth);
  MultiplyTop(m);
}

void APIENTRY glBegin(GLenum mode) {
  if (RejectedInsidePrimitive()) return;
  switch (mode) {
    case GL_TRIANGLES:
    case GL_TRIANGLE_STRIP:
    case GL_TRIANGLE_FAN:
    case GL_QUADS:
    case GL_QUAD_STRIP:
    case GL_POLYGON:
      break;
    default:  // also points and lines, which the layer does not draw
      SetError(GL_INVALID_ENUM);
  }
  Gl11.InsidePrimitive = true;
  Gl11.PrimitiveMode = mode;
  Gl11.Primitive.clear();
}

void APIENTRY glEnd(void) {
  if (!Gl11.InsidePrimitive) return SetError(GL_INVALID_OPERATION);
  Gl11.InsidePrimitive = false;
  AssemblePrimitive();
}

void APIENTRY glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  const GLfloat colour[4] = {r, g, b, a};
  for (int i = 0; i < 4; ++i) Gl11.Colour[i] = std::fmin(std::fmax(colour[i], 0.0f), 1.0f);
}

void APIENTRY glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1.0f); }

void APIENTRY glTexCoord2i(GLint s, GLint t) {
  Gl11.TexCoord[0] = static_cast<GLfloat>(s);
  Gl11.TexCoord[1] = static_cast<GLfloat>(t);
}

void APIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  // Outside glBegin and glEnd a vertex means nothing in GL 1.1.
  if (!Gl11.InsidePrimitive) return;
  const Matrix& m = ModelviewProjection();
  Vertex v;
  for (int i = 0; i < 4; ++i) v.Position[i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
  std::copy_n(Gl11.Colour, 4, v.Colour);
  std::copy_n(Gl11.TexCoord, 2, v.TexCoord);
  Gl11.Primitive.push_back(v);
}

void APIENTRY glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
  glVertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void APIENTRY glShadeModel(GLenum mode) {
  if (RejectedInsidePrimitive()) return;
  if (mode != GL_SMOOTH && mode != GL_FLAT) return SetError(GL_INVALID_ENUM);
  Gl11.ShadeModel = mode;
}

void APIENTRY glHint(GLenum target, GLenum mode) {
  if (RejectedInsidePrimitive()) return;
  (void)target;
  if (mode != GL_FASTEST && mode != GL_NICEST && mode != GL_DONT_CARE) SetError(GL_INVALID_ENUM);
}

void APIENTRY glEnable(GLenum cap) { SetCapability(cap, true); }
void APIENTRY glDisable(GLenum cap) { SetCapability(cap, false); }

void APIENTRY glBlendFunc(GLenum sfactor, GLenum dfactor) {
  if (RejectedInsidePrimitive()) return;
  if (!IsBlendFactor(sfactor, true) || !IsBlendFactor(dfactor, false)) return SetError(GL_INVALID_ENUM);
  if (sfactor == Gl11.BlendSource && dfactor == Gl11.BlendDestination) return;
  DrawBatch();
  Gl11.BlendSource = sfactor;
  Gl11.BlendDestination = dfactor;
  if (Gl11.Ready) Gl11.Gles.BlendFunc(sfactor, dfactor);
}

void APIENTRY glDepthFunc(GLenum func) {
  if (RejectedInsidePrimitive()) return;
  if (func < GL_NEVER || func > GL_ALWAYS) return SetError(GL_INVALID_ENUM);
  if (func == Gl11.DepthFunc) return;
  DrawBatch();
  Gl11.DepthFunc = func;
  if (Gl11.Ready) Gl11.Gles.DepthFunc(func);
}

void APIENTRY glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  if (RejectedInsidePrimitive()) return;
  if (Gl11.Ready) Gl11.Gles.ClearColor(r, g, b, a);
}

void APIENTRY glClearDepth(GLclampd depth) {
  if (RejectedInsidePrimitive()) return;
  if (Gl11.Ready) Gl11.Gles.ClearDepthf(static_cast<GLfloat>(std::fmin(std::fmax(depth, 0.0), 1.0)));
}

void APIENTRY glClear(GLbitfield mask) {
  if (RejectedInsidePrimitive()) return;
  constexpr GLbitfield kBuffers = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;
  if ((mask & ~(kBuffers | GL_ACCUM_BUFFER_BIT)) != 0) return SetError(GL_INVALID_VALUE);
  DrawBatch();
  if (Gl11.Ready) Gl11.Gles.Clear(mask & kBuffers);
}

void APIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (RejectedInsidePrimitive()) return;
  if (width < 0 || height < 0) return SetError(GL_INVALID_VALUE);
  DrawBatch();
  if (Gl11.Ready) Gl11.Gles.Viewport(x, y, width, height);
}

void APIENTRY glFlush(void) {
  if (RejectedInsidePrimitive()) return;
  DrawBatch();
  if (Gl11.Ready) Gl11.Gles.Flush();
}

void APIENTRY glBindTexture(GLenum target, GLuint texture) {
  if (RejectedInsidePrimitive()) return;
  if (target != GL_TEXTURE_2D) return SetError(GL_INVALID_ENUM);
  if (texture == Gl11.BoundTexture) return;
  DrawBatchBeforeTextureChange();
  Gl11.BoundTexture = texture;
  BindGlesTexture();
}

void APIENTRY glTexParameteri(GLenum target, GLenum pname, GLint param) {
  if (RejectedInsidePrimitive()) return;
  if (target != GL_TEXTURE_2D) return SetError(GL_INVALID_ENUM);
  DrawBatchBeforeTextureChange();
  if (BindGlesTexture()) Gl11.Gles.TexParameteri(GL_TEXTURE_2D, pname, param);
}

GLint APIENTRY gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                                 GLenum format, GLenum type, const void* data) {
  if (Gl11.InsidePrimitive) return GLU_INVALID_OPERATION;
  const int components = ComponentsOf(format);
  if (target != GL_TEXTURE_2D || type != GL_UNSIGNED_BYTE || components == 0 ||
      (internalFormat != static_cast<GLint>(format) && internalFormat != components))
    return GLU_INVALID_ENUM;
  // 32768 keeps every size below within an int.
  if (!IsPowerOfTwo(width) || !IsPowerOfTwo(height) || width > 32768 || height > 32768 ||
      data == nullptr)
    return GLU_INVALID_VALUE;
  DrawBatchBeforeTextureChange();
  TextureObject* texture = BindGlesTexture();
  if (texture == nullptr) return 0;  // no OpenGL ES yet: nothing to fill
  // GL's default unpacking: each row starts on a 4-byte boundary.
  const int rowStride = (width * components + 3) / 4 * 4;
  const std::vector<MipmapLevel> levels =
      BoxFilterMipmaps(static_cast<const std::uint8_t*>(data), width, height, components, rowStride);
  for (size_t level = 0; level < levels.size(); ++level)
    Gl11.Gles.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(format),
                         levels[level].Width, levels[level].Height, 0, format, GL_UNSIGNED_BYTE,
                         levels[level].Texels.data());
  texture->HasImage = true;
  texture->AlphaOnly = format == GL_ALPHA;
  return 0;
}

}  // extern "C"
