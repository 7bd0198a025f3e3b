#include "render/sphere_drawing.h"

#include <GL/gl.h>

#include "render/cell_colour.h"
#include "render/gl_setup.h"
#include "render/trig_tables.h"
#include "sim/particle_swarm.h"
#include "sim/scene_data.h"
#include "sim/sphere_shell.h"

namespace {

// The corners of the quad at (a, b), in drawing order.
constexpr int kCornerOffsets[4][2] = {
    {0, 0}, {kSphereCellDegrees, 0}, {kSphereCellDegrees, kSphereCellDegrees}, {0, kSphereCellDegrees}};

// Point (a, b) of the unit sphere: polar angle a from +z, azimuth b from +x.
void ShellVertex(int a, int b) {
  glVertex3d(CosineTable[b] * SineTable[a], SineTable[b] * SineTable[a], CosineTable[a]);
}

// One quad of a half: the first half reads counters of rows 0..180, the
// second those of rows 180..360; both take the tints of rows 0..180.
void DrawShellQuad(int a, int b, int counterRowOffset) {
  glBegin(GL_QUADS);
  for (const auto& offset : kCornerOffsets) {
    const int row = a + offset[0], column = b + offset[1];
    SetCornerColour(SphereShell.Colours[row][column],
                    SphereShell.Counters[row + counterRowOffset][column]);
    ShellVertex(row, column);
  }
  glEnd();
}

}  // namespace

void SphereSpin() {
  glRotatef(static_cast<float>(FrameCounter), 0.0f, 1.0f, 0.0f);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
}

void DrawSphereShell() {
  for (int a = 0; a < 180; a += kSphereCellDegrees) {
    for (int b = 0; b < 180; b += kSphereCellDegrees) {
      glPushMatrix();
      DrawShellQuad(a, b, 0);
      glPopMatrix();

      glPushMatrix();
      glScalef(1.0f, -1.0f, 1.0f);
      DrawShellQuad(a, b, 180);
      glPopMatrix();
    }
  }
}

bool DrawSphereFrame(FrameMotion motion) {
  const bool step = motion == FrameMotion::kStep;
  // This translation stays for the whole frame; the driver's identity load
  // discards it before the next.
  glTranslatef(0.0f, 0.0f, -kEyeDistance);

  glPushMatrix();
  SphereSpin();
  glScalef(ShellRadius, ShellRadius, ShellRadius);
  if (step) ResetSeamCounters();
  DrawSphereShell();
  glPopMatrix();

  glPushMatrix();
  BeginSpritePass();
  const int inPlay = ParticlesInPlay();
  for (int i = 0; i < inPlay; ++i) {
    Particle& p = ParticleSwarm.Particles[i];
    if (step) StepSphereParticle(p);
    glPushMatrix();
    if (!p.Outside) SphereSpin();
    glTranslatef(p.Position.x, p.Position.y, p.Position.z);
    if (!p.Outside) {
      glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
      glRotatef(-static_cast<float>(FrameCounter), 0.0f, 1.0f, 0.0f);
    }
    DrawParticleSprite();
    glPopMatrix();
  }
  glPopMatrix();
  EndSpritePass();

  if (step) RegenerateSphereShell();
  return true;
}
