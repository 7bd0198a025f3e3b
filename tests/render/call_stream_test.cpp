// The renderer's OpenGL call stream, recorded by the GL test double.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "render/cube_drawing.h"
#include "render/frame_driver.h"
#include "render/gl_setup.h"
#include "render/sphere_drawing.h"
#include "sim/cube_shell.h"
#include "sim/particle_swarm.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"
#include "sim/sphere_shell.h"
#include "tests/render/gl_recorder.h"
#include "tests/support/random_draws.h"
#include "tests/support/scene_reset.h"

namespace {

using Args = std::vector<double>;

class CallStreamTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetScene(); }

  // Default settings, a scene initialised at second 0 and an empty recording.
  static void ResetScene() {
    ResetSceneRecords(0);
    ViewportYOffset = 0;
    ReseedFromTime(0);
    InitSceneData();
    ResetGlRecorder();
  }

  static std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const GlCall& c : GlCalls()) names.push_back(c.name);
    return names;
  }

  static std::vector<const GlCall*> Calls(const std::string& name) {
    std::vector<const GlCall*> found;
    for (const GlCall& c : GlCalls())
      if (c.name == name) found.push_back(&c);
    return found;
  }

  // The primitives of the stream: each glBegin..glEnd with the colours and
  // vertices inside, and whether texturing was on.
  struct Primitive {
    bool textured;
    std::vector<Args> colours;
    std::vector<Vec3d> eyeVertices;  // vertices after the model-view matrix
    std::vector<Vec3d> vertices;     // as passed
  };

  static std::vector<Primitive> Primitives() {
    std::vector<Primitive> out;
    bool textured = false, inside = false;
    for (const GlCall& c : GlCalls()) {
      if (c.name == "glEnable" && c.args[0] == GL_TEXTURE_2D) textured = true;
      if (c.name == "glDisable" && c.args[0] == GL_TEXTURE_2D) textured = false;
      if (c.name == "glBegin") {
        EXPECT_EQ(c.args[0], GL_QUADS);
        out.push_back({textured, {}, {}, {}});
        inside = true;
      }
      if (c.name == "glEnd") inside = false;
      if (!inside) continue;
      if (c.name == "glColor4f") out.back().colours.push_back(c.args);
      if (c.name == "glVertex3f" || c.name == "glVertex3d") {
        const Vec3d v{c.args[0], c.args[1], c.args[2]};
        out.back().vertices.push_back(v);
        out.back().eyeVertices.push_back(Transform(c.modelview, v));
      }
    }
    return out;
  }

  static void ExpectNear(Vec3d actual, Vec3d expected, const std::string& what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-4) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-4) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-4) << what;
  }

  // Where the cube's own frame lies in eye space for a frame counter value.
  static Matrix4 CubeFrameMatrix(int frameCounter) {
    Matrix4 m = Translated(IdentityMatrix(), 0, 0, -29);
    m = Rotated(m, -45, 1, 0, 0);
    m = Rotated(m, 45, 0, 0, 1);
    return Rotated(m, frameCounter, 1, 1, 1);
  }

  static Matrix4 SphereFrameMatrix(int frameCounter) {
    Matrix4 m = Translated(IdentityMatrix(), 0, 0, -29);
    m = Rotated(m, frameCounter, 0, 1, 0);
    return Rotated(m, 90, 1, 0, 0);
  }

  static double Alpha(const Colour& c, double counter) {
    return static_cast<float>(static_cast<double>(AlphaScale) * counter + c.a);
  }
};

TEST_F(CallStreamTest, PipelineStateIsSetInOrder) {
  InitGLState();
  const std::vector<std::string> expected = {"glShadeModel", "glClearColor", "glClearDepth",
                                             "glDisable", "glDepthFunc", "glHint"};
  ASSERT_EQ(Names(), expected);
  const auto& c = GlCalls();
  EXPECT_EQ(c[0].args, Args({GL_SMOOTH}));
  EXPECT_EQ(c[1].args, Args({0, 0, 0, 1}));
  EXPECT_EQ(c[2].args, Args({1.0}));
  EXPECT_EQ(c[3].args, Args({GL_DEPTH_TEST}));
  EXPECT_EQ(c[4].args, Args({GL_LEQUAL}));
  EXPECT_EQ(c[5].args, Args({GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST}));
}

TEST_F(CallStreamTest, ProjectionIsA45DegreePerspectiveAboveTheViewportOffset) {
  const struct { int w, h, offset; Args viewport; double aspect; } cases[] = {
      {1024, 768, 0, {0, 0, 1024, 768}, 1024.0 / 768.0},
      {640, 0, 0, {0, 0, 640, 1}, 640.0},
      {800, 600, 37, {0, 37, 800, 600}, 800.0 / 600.0},
  };
  for (const auto& c : cases) {
    ResetGlRecorder();
    ViewportYOffset = c.offset;
    SetProjection(c.w, c.h);
    const std::vector<std::string> expected = {"glViewport", "glMatrixMode", "glLoadIdentity",
                                               "gluPerspective", "glMatrixMode", "glLoadIdentity"};
    ASSERT_EQ(Names(), expected);
    EXPECT_EQ(GlCalls()[0].args, c.viewport);
    EXPECT_EQ(GlCalls()[1].args, Args({GL_PROJECTION}));
    EXPECT_EQ(GlCalls()[3].args, Args({45.0, c.aspect, 0.10000000149011612, 100.0}));
    EXPECT_EQ(GlCalls()[4].args, Args({GL_MODELVIEW}));
  }
}

// The page's field of view: 45 degrees wherever the picture is at least as
// wide as high (so the page's landscape frames are the desktop's); in
// portrait, the field whose width is that of 45 degrees in a square.
TEST_F(CallStreamTest, WholeSceneFieldOfViewWidensOnlyInPortrait) {
  for (const auto [w, h] : {std::array{1024, 768}, {768, 768}, {1200, 500}, {640, 0}})
    EXPECT_EQ(WholeSceneFieldOfView(w, h), 45.0) << w << "x" << h;
  const double tan22 = std::tan(22.5 * M_PI / 180);
  for (const auto [w, h] : {std::array{390, 844}, {700, 900}, {1, 1000}}) {
    const double fovy = WholeSceneFieldOfView(w, h);
    EXPECT_NEAR(std::tan(fovy / 2 * M_PI / 180) * w / h, tan22, 1e-12) << w << "x" << h;
  }
  ResetGlRecorder();
  SetProjectionWithField(390, 844, 80.0);
  EXPECT_EQ(Calls("gluPerspective")[0]->args, Args({80.0, 390.0 / 844.0, 0.10000000149011612, 100.0}));
}

// After a lost context the page rebuilds only the OpenGL side: the same
// calls as StartScene makes, and the next frame as it would have been.
TEST_F(CallStreamTest, RestoreSceneGLRepeatsStartScenesCallsAndLeavesTheScene) {
  const auto frameAfter = [](bool restore) {
    ResetSceneRecords(0);
    ReseedFromTime(7);
    StartScene(640, 480);
    for (int i = 0; i < 3; ++i) RenderFrame();
    ResetGlRecorder();
    if (restore) RestoreSceneGL(640, 480);
    std::vector<GlCall> restoreCalls = GlCalls();
    ResetGlRecorder();
    RenderFrame();
    return std::make_pair(restoreCalls, GlCalls());
  };
  ResetSceneRecords(0);
  ReseedFromTime(7);
  ResetGlRecorder();
  StartScene(640, 480);
  std::vector<std::string> startNames;
  for (const GlCall& c : GlCalls()) startNames.push_back(c.name);

  const auto [none, plain] = frameAfter(false);
  const auto [restoreCalls, restored] = frameAfter(true);
  EXPECT_TRUE(none.empty());
  std::vector<std::string> restoreNames;
  for (const GlCall& c : restoreCalls) restoreNames.push_back(c.name);
  EXPECT_EQ(restoreNames, startNames);
  ASSERT_EQ(restored.size(), plain.size());
  for (size_t i = 0; i < plain.size(); ++i) {
    ASSERT_EQ(restored[i].name, plain[i].name) << i;
    ASSERT_EQ(restored[i].args, plain[i].args) << i << " " << plain[i].name;
  }
}

TEST_F(CallStreamTest, SpriteStateUploadsTheConeTextureAndBlendsAdditively) {
  InitSpriteState();
  const std::vector<std::string> expected = {"glBindTexture", "glTexParameteri", "glTexParameteri",
                                             "gluBuild2DMipmaps", "glColor3f", "glBlendFunc",
                                             "glEnable"};
  ASSERT_EQ(Names(), expected);
  const auto& c = GlCalls();
  EXPECT_EQ(c[0].args, Args({GL_TEXTURE_2D, 1}));
  EXPECT_EQ(c[1].args, Args({GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}));
  EXPECT_EQ(c[2].args, Args({GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR}));
  EXPECT_EQ(c[3].args, Args({GL_TEXTURE_2D, GL_ALPHA, 64, 64, GL_ALPHA, GL_UNSIGNED_BYTE}));
  EXPECT_EQ(c[4].args, Args({1, 1, 1}));
  EXPECT_EQ(c[5].args, Args({GL_SRC_ALPHA, GL_ONE}));
  EXPECT_EQ(c[6].args, Args({GL_BLEND}));

  const std::vector<std::uint8_t>& texels = c[3].pixels;
  ASSERT_EQ(texels.size(), 4096u);
  const struct { int row, column, value; } samples[] = {
      {32, 32, 255}, {32, 33, 247}, {33, 33, 247}, {36, 35, 215}, {32, 40, 191}, {32, 1, 7},
      {1, 32, 7},    {32, 63, 7},   {10, 10, 7},   {32, 0, 0},    {0, 0, 0},     {9, 9, 0},
      {63, 63, 0}};
  for (const auto& s : samples)
    EXPECT_EQ(texels[64 * s.row + s.column], s.value) << s.row << ", " << s.column;
  int nonZero = 0;
  for (std::uint8_t t : texels) nonZero += t != 0;
  EXPECT_EQ(nonZero, 3205);
}

TEST_F(CallStreamTest, SpriteIsATexturedSquareAroundTheOrigin) {
  DrawParticleSprite();
  const std::vector<std::string> expected = {"glBegin", "glTexCoord2i", "glVertex3f", "glTexCoord2i",
                                             "glVertex3f", "glTexCoord2i", "glVertex3f",
                                             "glTexCoord2i", "glVertex3f", "glEnd"};
  ASSERT_EQ(Names(), expected);
  const double h = 0.1f;
  const Args texcoords[] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const Args vertices[] = {{-h, -h, 0}, {h, -h, 0}, {h, h, 0}, {-h, h, 0}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(GlCalls()[1 + 2 * k].args, texcoords[k]);
    EXPECT_EQ(GlCalls()[2 + 2 * k].args, vertices[k]);
  }
}

TEST_F(CallStreamTest, CubeFacesPlaceEachSlotOnItsCell) {
  FrameCounter = 5;
  CubeShell.Counters[153] = -5;  // a half-worn corner
  CubeShell.Counters[145] = -10; // a broken cell
  DrawCubeFaces();
  const std::vector<Primitive> quads = Primitives();
  ASSERT_EQ(quads.size(), 384u);

  const struct { int slot; Vec3d corners[4]; int colourSlots[4]; } cases[] = {
      {145, {{4, -2, 3}, {4, -1, 3}, {4, -1, 2}, {4, -2, 2}}, {145, 153, 154, 146}},
      {332, {{0, 4, -3}, {0, 4, -2}, {1, 4, -2}, {1, 4, -3}}, {332, 340, 341, 333}},
      {383, {{3, 4, 3}, {3, 4, 4}, {4, 4, 4}, {4, 4, 3}}, {383, 391, 392, 384}},
      {0, {{-4, -4, 4}, {-4, -3, 4}, {-3, -3, 4}, {-3, -4, 4}}, {0, 8, 9, 1}},
  };
  const Matrix4 cube = CubeFrameMatrix(5);
  for (const auto& c : cases) {
    const Primitive& q = quads[c.slot];  // the loops draw the cells in slot order
    EXPECT_FALSE(q.textured);
    ASSERT_EQ(q.eyeVertices.size(), 4u);
    ASSERT_EQ(q.colours.size(), 4u);
    for (int k = 0; k < 4; ++k) {
      const std::string what = "slot " + std::to_string(c.slot) + " corner " + std::to_string(k);
      ExpectNear(q.eyeVertices[k], Transform(cube, c.corners[k]), what);
      const Colour& colour = CubeShell.Colours[c.colourSlots[k]];
      EXPECT_EQ(q.colours[k], Args({colour.r, colour.g, colour.b,
                                    Alpha(colour, CubeShell.Counters[c.colourSlots[k]])}))
          << what;
    }
  }
  EXPECT_NEAR(quads[145].colours[0][3], 0.0, 1e-7);  // broken: transparent corner
  EXPECT_NEAR(quads[145].colours[1][3], 0.3, 1e-7);  // half worn
  EXPECT_NEAR(quads[145].colours[2][3], 0.6, 1e-7);  // untouched
}

TEST_F(CallStreamTest, GrowthCubeStartsInvisible) {
  SaverSettings.Decay = 0;
  DeriveSceneParameters();
  InitCubeShell();
  DrawCubeFaces();
  for (const Primitive& q : Primitives())
    for (const Args& colour : q.colours) ASSERT_EQ(colour[3], 0.0);
}

TEST_F(CallStreamTest, CubeFrameDrawsEachParticleRightAfterItsStep) {
  SaverSettings.SpawnPoints = 3.0f;
  FrameCounter = 7;
  // Particle 1 will pass through a broken cell in this frame's step.
  ParticleSwarm.Particles[1].Position = {3.88f, 0.5f, 0.5f};
  ParticleSwarm.Particles[1].Velocity = {0.05f, 0.0f, 0.0f};
  CubeShell.Counters[CubeSlot(kFacePlusX, 4, 3)] = -10;
  // Where each particle's step will leave it, found on copies.
  const CubeShellData shell = CubeShell;
  Particle expected[3];
  for (int i = 0; i < 3; ++i) {
    expected[i] = ParticleSwarm.Particles[i];
    StepCubeParticle(expected[i]);
  }
  CubeShell = shell;

  // At each sprite's glBegin, which particles have taken their step: the
  // order that the test pins is step 0, draw 0, step 1, draw 1, ...
  Particle initial[3];
  std::copy(ParticleSwarm.Particles, ParticleSwarm.Particles + 3, initial);
  std::vector<std::array<bool, 3>> steppedAtBegin;
  ObserveGlCalls([&](const GlCall& call) {
    if (call.name != "glBegin" || steppedAtBegin.size() == 3) return;
    std::array<bool, 3> stepped;
    for (int i = 0; i < 3; ++i) {
      const Vector3& now = ParticleSwarm.Particles[i].Position;
      const Vector3& before = initial[i].Position;
      stepped[i] = now.x != before.x || now.y != before.y || now.z != before.z;
    }
    steppedAtBegin.push_back(stepped);
  });
  DrawCubeFrame();
  ObserveGlCalls(nullptr);
  ASSERT_EQ(steppedAtBegin.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(steppedAtBegin[k][i], i <= k) << "particle " << i << " at sprite " << k << "'s glBegin";
    }
  }
  const std::vector<Primitive> prims = Primitives();
  ASSERT_EQ(prims.size(), 3u + 384u);
  const auto colours = Calls("glColor3f");
  ASSERT_EQ(colours.size(), 1u);
  EXPECT_EQ(colours[0]->args, Args({0.65f, 0.85f, 0.0f}));

  EXPECT_EQ(ParticleSwarm.Particles[1].Outside, 1);
  for (int i = 0; i < 3; ++i) {
    const Primitive& sprite = prims[i];
    EXPECT_TRUE(sprite.textured);
    const Vector3& at = expected[i].Position;
    // Inside: in the turning cube's frame; outside: in the fixed frame.
    const Vec3d centre = expected[i].Outside ? Vec3d{at.x, at.y, at.z - 29.0}
                                             : Transform(CubeFrameMatrix(7), {at.x, at.y, at.z});
    // The sprite faces the viewer: its corners are the centre +-0.1 in x and y.
    ExpectNear(sprite.eyeVertices[0], {centre.x - 0.1, centre.y - 0.1, centre.z},
               "sprite " + std::to_string(i));
    ExpectNear(sprite.eyeVertices[2], {centre.x + 0.1, centre.y + 0.1, centre.z},
               "sprite " + std::to_string(i));
  }
  for (size_t k = 3; k < prims.size(); ++k) ASSERT_FALSE(prims[k].textured);
}

TEST_F(CallStreamTest, EmptyCubeFrameStillRunsTheSpritePassAndHeals) {
  SaverSettings.SpawnPoints = 0.0f;
  CubeShell.Counters[10] = -10;
  SeedSoNextDrawHeals(true);
  DrawCubeFrame();
  const std::vector<std::string> names = Names();
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
            (std::vector<std::string>{"glEnable", "glBindTexture", "glColor3f", "glDisable"}));
  EXPECT_EQ(Primitives().size(), 384u);
  EXPECT_EQ(CubeShell.Counters[10], 0);
}

TEST_F(CallStreamTest, SphereShellHas648QuadsMirroredWithTheirOwnCounters) {
  FrameCounter = 5;
  SphereShell.Counters[50][40] = -5.0f;   // first half
  SphereShell.Counters[230][40] = -10.0f; // second half, same angles
  SphereShell.Counters[90][0] = -7.0f;    // a seam cell, cleared by the frame
  SaverSettings.SpawnPoints = 0.0f;
  DrawSphereFrame();

  const std::vector<Primitive> prims = Primitives();
  ASSERT_EQ(prims.size(), 648u);
  EXPECT_EQ(Calls("glVertex3d").size(), 2592u);
  const Matrix4 sphere = Scaled(SphereFrameMatrix(5), 8, 8, 8);
  const Matrix4 mirrored = Scaled(sphere, 1, -1, 1);

  // The quad at (a, b) = (40, 30) in each half has corner (50, 40) third.
  const int quad = 2 * (4 * 18 + 3);
  const Primitive& first = prims[quad];
  const Primitive& second = prims[quad + 1];
  const double s50 = std::sin(50 * M_PI / 180), c50 = std::cos(50 * M_PI / 180);
  const Vec3d corner{std::cos(40 * M_PI / 180) * s50, std::sin(40 * M_PI / 180) * s50, c50};
  ExpectNear(first.eyeVertices[2], Transform(sphere, corner), "first half");
  ExpectNear(second.eyeVertices[2], Transform(mirrored, corner), "second half");
  EXPECT_EQ(first.vertices[2].x, second.vertices[2].x);

  const Colour& colour = SphereShell.Colours[50][40];
  EXPECT_EQ(first.colours[2], Args({colour.r, colour.g, colour.b, 0.3f}));
  EXPECT_EQ(second.colours[2], Args({colour.r, colour.g, colour.b, Alpha(colour, -10.0)}));
  EXPECT_NEAR(second.colours[2][3], 0.0, 1e-7);

  // Seam corner (90, 0) is the first corner of quad (90, 0), first half.
  const Primitive& seam = prims[2 * (9 * 18 + 0)];
  EXPECT_EQ(seam.colours[0][3], 0.6f);

  // The scale(1, -1, 1) stands in front of every second-half quad only.
  EXPECT_EQ(Calls("glScalef").size(), 1u + 324u);
  for (const Primitive& p : prims) EXPECT_FALSE(p.textured);
}

TEST_F(CallStreamTest, SphereParticlesTurnWithTheShellUntilTheyLeave) {
  SaverSettings.ObjectType = kSphereObject;
  SaverSettings.SpawnPoints = 2.0f;
  ParticleSwarm.Particles[0].Position = {0.0f, 0.0f, 7.0f};
  ParticleSwarm.Particles[0].Velocity = {0.0f, 0.0f, 0.0f};
  ParticleSwarm.Particles[1].Position = {4.4f, 5.0f, 4.4f};  // touches cell (50, 40)
  ParticleSwarm.Particles[1].Velocity = {0.01f, 0.0f, 0.0f};
  SphereShell.Counters[50][40] = -10.0f;
  FrameCounter = 719;  // RenderFrame advances it to 720

  RenderFrame();
  const auto names = Names();
  EXPECT_EQ(names[0], "glClear");
  EXPECT_EQ(GlCalls()[0].args, Args({GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}));
  EXPECT_EQ(names[1], "glLoadIdentity");
  EXPECT_EQ(names.back(), "glFlush");

  const std::vector<Primitive> prims = Primitives();
  ASSERT_EQ(prims.size(), 648u + 2u);
  // At a multiple of 360 degrees the inside particle at z = 7 is drawn at
  // the +z pole, which the spin stands at the bottom: (0, -7, -29).
  ExpectNear(prims[648].eyeVertices[0], {-0.1, -7.1, -29.0}, "inside particle");
  EXPECT_TRUE(prims[648].textured);
  // The particle that passed through is drawn unturned at its position.
  const Vector3& at = ParticleSwarm.Particles[1].Position;
  EXPECT_EQ(ParticleSwarm.Particles[1].Outside, 1);
  ExpectNear(prims[649].eyeVertices[0], {at.x - 0.1, at.y - 0.1, at.z - 29.0}, "outside particle");
}

TEST_F(CallStreamTest, FirstFrameIsFiveAndObjectTypeChoosesTheContainer) {
  ReseedFromTime(0);
  InitScene();
  ResetGlRecorder();
  SaverSettings.ObjectType = kSphereObject;
  SaverSettings.SpawnPoints = 0.0f;
  RenderFrame();
  // The sphere's spin turns about y by the frame counter.
  const auto rotations = Calls("glRotatef");
  ASSERT_FALSE(rotations.empty());
  EXPECT_EQ(rotations[0]->args, Args({5, 0, 1, 0}));
  EXPECT_EQ(Primitives().size(), 648u);

  ResetGlRecorder();
  SaverSettings.ObjectType = kCubeObject;
  RenderFrame();
  EXPECT_EQ(Calls("glRotatef")[2]->args, Args({6, 1, 1, 1}));
  EXPECT_EQ(Primitives().size(), 384u);
}

TEST_F(CallStreamTest, HandEditedPermeabilityNeverSendsANonFiniteColour) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float permeability : {0.0f, -2.0f, nan, std::numeric_limits<float>::denorm_min()}) {
    for (std::uint8_t objectType : {kSphereObject, kCubeObject}) {
      ResetScene();
      SaverSettings.ObjectType = objectType;
      SaverSettings.Permeability = permeability;
      SaverSettings.SpawnPoints = 2050.0f;
      for (int frame = 0; frame < 5; ++frame) {
        ResetGlRecorder();
        DeriveSceneParameters();
        RenderFrame();
        for (const GlCall* c : Calls("glColor4f"))
          for (double v : c->args) ASSERT_TRUE(std::isfinite(v)) << "Permeability " << permeability;
      }
    }
  }
}

}  // namespace
