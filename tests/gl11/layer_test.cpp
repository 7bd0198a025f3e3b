// The GL 1.1 layer on a real OpenGL ES 3.0 context (Mesa through EGL): its
// matrix stacks against GL's and GLU's formulas, how it batches primitives
// into draw calls, and the fixed-function results a caller sees in pixels.
#include <gtest/gtest.h>

#include <EGL/egl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "gl11/gl11.h"
#include "render/frame_driver.h"
#include "sim/particle_swarm.h"
#include "sim/random_source.h"
#include "sim/scene_parameters.h"
#include "headless/offscreen_context.h"

namespace {

constexpr int kSize = 64;

// Every glDrawArrays that reaches OpenGL ES, counted on its way.
struct DrawCounts {
  int draws = 0;
  long vertices = 0;
} Drawn;
void (*RealDrawArrays)(GLenum, GLint, GLsizei);

void CountingDrawArrays(GLenum mode, GLint first, GLsizei count) {
  ++Drawn.draws;
  Drawn.vertices += count;
  RealDrawArrays(mode, first, count);
}

Gl11Proc CountingLoader(const char* name) {
  if (std::strcmp(name, "glDrawArrays") != 0) return eglGetProcAddress(name);
  RealDrawArrays = reinterpret_cast<decltype(RealDrawArrays)>(eglGetProcAddress(name));
  return reinterpret_cast<Gl11Proc>(&CountingDrawArrays);
}

using Matrix = std::array<double, 16>;  // column-major

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix r{};
  for (int column = 0; column < 4; ++column)
    for (int row = 0; row < 4; ++row)
      for (int k = 0; k < 4; ++k) r[4 * column + row] += a[4 * k + row] * b[4 * column + k];
  return r;
}

// glRotate's matrix as OpenGL 1.1 defines it: a turn about the unit axis.
Matrix Rotation(double degrees, double x, double y, double z) {
  const double length = std::sqrt(x * x + y * y + z * z);
  x /= length, y /= length, z /= length;
  const double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
  return {x * x * (1 - c) + c,     y * x * (1 - c) + z * s, x * z * (1 - c) - y * s, 0,
          x * y * (1 - c) - z * s, y * y * (1 - c) + c,     y * z * (1 - c) + x * s, 0,
          x * z * (1 - c) + y * s, y * z * (1 - c) - x * s, z * z * (1 - c) + c,     0,
          0, 0, 0, 1};
}

void ExpectTop(GLenum mode, const Matrix& expected, const char* what) {
  const GLfloat* m = Gl11Matrix(mode);
  for (int i = 0; i < 16; ++i)
    EXPECT_NEAR(m[i], expected[i], 2e-6 * (1 + std::abs(expected[i]))) << what << " [" << i << "]";
}

// A quad in clip coordinates (with identity matrices), one colour.
void Quad(float x0, float y0, float x1, float y1) {
  glBegin(GL_QUADS);
  glVertex3f(x0, y0, 0), glVertex3f(x1, y0, 0), glVertex3f(x1, y1, 0), glVertex3f(x0, y1, 0);
  glEnd();
}

class Gl11Layer : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(context_.Create(kSize, kSize, error, OffscreenApi::kOpenGLES3)) << error;
    ASSERT_TRUE(Gl11Init(CountingLoader, error)) << error;
    Drawn = {};
  }
  void TearDown() override { Gl11Shutdown(); }

  // The pixel at the centre of the picture, after a glFlush.
  std::array<int, 3> Centre() {
    glFlush();
    const std::vector<std::uint8_t> rgb = context_.ReadRgb();
    const std::uint8_t* p = &rgb[3 * (kSize / 2 * kSize + kSize / 2)];
    return {p[0], p[1], p[2]};
  }

  OffscreenContext context_;
};

TEST_F(Gl11Layer, EachModeHasAStackOf32ThatNeitherOverflowsNorUnderflows) {
  for (GLenum mode : {GL_MODELVIEW, GL_PROJECTION}) {
    const GLenum other = mode == GL_MODELVIEW ? GL_PROJECTION : GL_MODELVIEW;
    glMatrixMode(mode);
    for (int i = 1; i < 32; ++i) glPushMatrix();
    glTranslatef(5, 0, 0);
    EXPECT_EQ(Gl11GetError(), static_cast<GLenum>(GL_NO_ERROR)) << "32 matrices fit";
    EXPECT_EQ(Gl11StackDepth(other), 1);
    EXPECT_EQ(Gl11Matrix(other)[12], 0.0f);
    glPushMatrix();
    EXPECT_EQ(Gl11GetError(), static_cast<GLenum>(GL_STACK_OVERFLOW));
    EXPECT_EQ(Gl11StackDepth(mode), 32);
    EXPECT_EQ(Gl11Matrix(mode)[12], 5.0f);
    glPopMatrix();
    EXPECT_EQ(Gl11Matrix(mode)[12], 0.0f) << "popping restores the matrix below";
    for (int i = 2; i < 32; ++i) glPopMatrix();
    glScalef(3, 3, 3);
    glPopMatrix();
    EXPECT_EQ(Gl11GetError(), static_cast<GLenum>(GL_STACK_UNDERFLOW));
    EXPECT_EQ(Gl11StackDepth(mode), 1);
    EXPECT_EQ(Gl11Matrix(mode)[0], 3.0f) << "the last matrix stays";
    glLoadIdentity();
  }
}

TEST_F(Gl11Layer, TransformsFollowTheFixedFunctionFormulas) {
  // Each call multiplies the current matrix on the right, as GL 1.1 does.
  struct Step {
    std::function<void()> call;
    Matrix matrix;
  };
  const Step steps[] = {
      {[] { glTranslatef(0.5f, -2, 29); }, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5, -2, 29, 1}},
      {[] { glRotatef(-45, 1, 0, 0); }, Rotation(-45, 1, 0, 0)},
      {[] { glRotatef(45, 0, 0, -1); }, Rotation(45, 0, 0, -1)},
      {[] { glRotatef(117, 1, 1, 1); }, Rotation(117, 1, 1, 1)},
      {[] { glRotatef(-90, 0, 2, 0); }, Rotation(-90, 0, 1, 0)},
      {[] { glScalef(8, -1, 0.25f); }, {8, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0.25, 0, 0, 0, 0, 1}},
      {[] { glRotatef(30, 0, 0, 0); }, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},  // no axis
  };
  Matrix expected{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (const Step& step : steps) {
    step.call();
    expected = Multiply(expected, step.matrix);
    ExpectTop(GL_MODELVIEW, expected, "model-view");
  }
  // Independently of the formula: 90 degrees about z turns x into y.
  glLoadIdentity();
  glRotatef(90, 0, 0, 1);
  ExpectTop(GL_MODELVIEW, Matrix{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "quarter turn");

  // gluPerspective: f = cot(fovy / 2), as GLU defines it.
  glMatrixMode(GL_PROJECTION);
  const double f = 1 / std::tan(22.5 * M_PI / 180), n = static_cast<double>(0.1f), a = 1024.0 / 768;
  gluPerspective(45, a, n, 100);
  const Matrix perspective{f / a, 0, 0, 0, 0, f, 0, 0,
                           0, 0, (100 + n) / (n - 100), -1, 0, 0, 2 * 100 * n / (n - 100), 0};
  ExpectTop(GL_PROJECTION, perspective, "perspective");
  gluPerspective(45, 0, n, 100);  // no aspect ratio, and no depth range: no change
  gluPerspective(45, a, 5, 5);
  ExpectTop(GL_PROJECTION, perspective, "degenerate perspectives");
}

TEST_F(Gl11Layer, OnlyVertexDataIsTakenBetweenBeginAndEnd) {
  glBegin(GL_QUADS);
  glTranslatef(1, 0, 0);
  glBegin(GL_TRIANGLES);
  glEnd();
  EXPECT_EQ(Gl11GetError(), static_cast<GLenum>(GL_INVALID_OPERATION)) << "the first error is kept";
  EXPECT_EQ(Gl11Matrix(GL_MODELVIEW)[12], 0.0f);
  glEnd();
  EXPECT_EQ(Gl11GetError(), static_cast<GLenum>(GL_INVALID_OPERATION)) << "glEnd without glBegin";
  glEnable(GL_LIGHTING);
  EXPECT_EQ(Gl11GetError(), static_cast<GLenum>(GL_INVALID_ENUM));
  glBegin(GL_POINTS);  // not drawn by the layer
  glVertex3f(0, 0, 0);
  glEnd();
  EXPECT_EQ(Gl11GetError(), static_cast<GLenum>(GL_INVALID_ENUM));
  EXPECT_EQ(Gl11GetError(), static_cast<GLenum>(GL_NO_ERROR));
  glFlush();
  EXPECT_EQ(Drawn.draws, 0);
}

// A frame of render/ is two draw calls, whatever the number of particles:
// the particles' quads in one, the container's cells in the other.
class Gl11Frame : public Gl11Layer, public ::testing::WithParamInterface<std::tuple<std::uint8_t, int>> {};

TEST_P(Gl11Frame, IsTwoDrawCallsOfTwoTrianglesAQuad) {
  const auto [container, particles] = GetParam();
  SaverSettings = kDefaultSettings;
  SaverSettings.ObjectType = container;
  SaverSettings.SpawnPoints = static_cast<float>(particles);
  DeriveSceneParameters();
  ReseedFromTime(1000);
  StartScene(kSize, kSize);
  const int cells = container == kCubeObject ? 6 * 64 : 2 * 18 * 18;
  for (int frame = 0; frame < 3; ++frame) {
    const int inPlay = ParticlesInPlay();
    Drawn = {};
    RenderFrame();
    EXPECT_EQ(Drawn.draws, 2);
    EXPECT_EQ(Drawn.vertices, 6L * (inPlay + cells));
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, Gl11Frame,
                         ::testing::Combine(::testing::Values(kCubeObject, kSphereObject),
                                            ::testing::Values(50, 250, 2050)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) == kCubeObject ? "Cube" : "Sphere") +
                                  std::to_string(std::get<1>(info.param));
                         });

TEST_F(Gl11Layer, PrimitivesShareADrawUntilAStateChanges) {
  // Matrix changes and states set to what they are do not end a batch.
  for (int i = 0; i < 100; ++i) {
    glPushMatrix();
    glTranslatef(0.01f * i, 0, 0);
    glDisable(GL_BLEND);
    Quad(-0.5f, -0.5f, 0.5f, 0.5f);
    glPopMatrix();
  }
  EXPECT_EQ(Drawn.draws, 0);
  glFlush();
  EXPECT_EQ(Drawn.draws, 1);
  EXPECT_EQ(Drawn.vertices, 600);

  // A texture change reaches drawn primitives only while texturing is on.
  glBindTexture(GL_TEXTURE_2D, 7);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glEnable(GL_TEXTURE_2D);
  const std::function<void()> changes[] = {
      [] { glEnable(GL_BLEND); },        [] { glBlendFunc(GL_SRC_ALPHA, GL_ONE); },
      [] { glEnable(GL_DEPTH_TEST); },   [] { glDepthFunc(GL_LEQUAL); },
      [] { glBindTexture(GL_TEXTURE_2D, 1); },
      [] { glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST); },
      [] { glViewport(0, 0, 32, 32); },  [] { glClear(GL_COLOR_BUFFER_BIT); },
      [] { glDisable(GL_TEXTURE_2D); },
  };
  for (const auto& change : changes) {
    Drawn = {};
    Quad(-0.5f, -0.5f, 0.5f, 0.5f);
    change();
    EXPECT_EQ(Drawn.draws, 1) << "change " << (&change - changes);
  }
  Drawn = {};
  Quad(-0.5f, -0.5f, 0.5f, 0.5f);
  glBindTexture(GL_TEXTURE_2D, 7);
  EXPECT_EQ(Drawn.draws, 0);
}

TEST_F(Gl11Layer, PixelsAreWhatTheFixedPipelineDraws) {
  // A clear comes after what was drawn before it.
  glColor3f(1, 0, 0);
  Quad(-1, -1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(Centre(), (std::array<int, 3>{0, 0, 0}));

  // Colours are clamped to [0, 1] per vertex.
  glColor4f(2, -1, 0.5f, 7);
  Quad(-1, -1, 1, 1);
  const std::array<int, 3> clamped = Centre();
  EXPECT_EQ(clamped[0], 255);
  EXPECT_EQ(clamped[1], 0);
  EXPECT_NEAR(clamped[2], 128, 1);

  // Flat shading takes a quad's colour from its last vertex.
  glShadeModel(GL_FLAT);
  glBegin(GL_QUADS);
  for (float corner : {0.0f, 1.0f, 2.0f, 3.0f}) {
    glColor3f(corner == 3, corner == 1, 0);
    glVertex3f(corner == 1 || corner == 2 ? 1 : -1, corner < 2 ? -1 : 1, 0);
  }
  glEnd();
  EXPECT_EQ(Centre(), (std::array<int, 3>{255, 0, 0}));
  glShadeModel(GL_SMOOTH);

  // An alpha texture modulates the alpha alone; with no image yet it would
  // turn texturing off, as in GL 1.1.
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 3);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 0.5f, 0);
  Quad(-1, -1, 1, 1);
  EXPECT_EQ(Centre()[0], 255) << "a texture without an image";
  const std::uint8_t half[4 * 4] = {128, 128, 0, 0, 128, 128, 0, 0};  // 2 x 2, rows of 4 bytes
  EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, GL_ALPHA, 2, 2, GL_ALPHA, GL_UNSIGNED_BYTE, half), 0);
  glClear(GL_COLOR_BUFFER_BIT);
  Quad(-1, -1, 1, 1);
  const std::array<int, 3> modulated = Centre();
  EXPECT_NEAR(modulated[0], 128, 1);
  EXPECT_NEAR(modulated[1], 64, 1);
  EXPECT_EQ(modulated[2], 0);

  // Images the layer does not take leave the texture as it was.
  EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, GL_ALPHA, 3, 2, GL_ALPHA, GL_UNSIGNED_BYTE, half),
            GLU_INVALID_VALUE);
  EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, 2, 2, GL_ALPHA, GL_UNSIGNED_BYTE, half),
            GLU_INVALID_ENUM);
  glClear(GL_COLOR_BUFFER_BIT);
  Quad(-1, -1, 1, 1);
  EXPECT_EQ(Centre(), modulated);
}

}  // namespace
