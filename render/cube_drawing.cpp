#include "render/cube_drawing.h"

#include <GL/gl.h>

#include "render/cell_colour.h"
#include "render/gl_setup.h"
#include "sim/cube_shell.h"
#include "sim/particle_swarm.h"
#include "sim/scene_data.h"

namespace {

constexpr float kFaceDistance = 4.0f;

// Corners of a cell quad in drawing order, with the slot offset each one
// takes its colour from: itself, the next row, the next row and column, the
// next column.
struct QuadCorner {
  float x, y;
  int SlotOffset;
};
constexpr QuadCorner QuadCorners[4] = {{0, 0, 0}, {0, 1, 8}, {1, 1, 9}, {1, 0, 1}};

// The face each pass draws: for each axis (z; x, after a quarter turn about
// y; y, after one about x), the face at +4 along the turned z, then at -4.
constexpr CubeFace kFacesInDrawingOrder[3][2] = {
    {kFacePlusZ, kFaceMinusZ}, {kFacePlusX, kFaceMinusX}, {kFaceMinusY, kFacePlusY}};

void DrawCellQuad(int slot) {
  glBegin(GL_QUADS);
  for (const QuadCorner& corner : QuadCorners) {
    const int k = slot + corner.SlotOffset;
    SetCornerColour(CubeShell.Colours[k], CubeShell.Counters[k]);
    glVertex3f(corner.x, corner.y, 0.0f);
  }
  glEnd();
}

}  // namespace

void CubeSpin() {
  glRotatef(-45.0f, 1.0f, 0.0f, 0.0f);
  glRotatef(45.0f, 0.0f, 0.0f, 1.0f);
  glRotatef(static_cast<float>(FrameCounter), 1.0f, 1.0f, 1.0f);
}

void InverseCubeSpin() {
  glRotatef(-static_cast<float>(FrameCounter), 1.0f, 1.0f, 1.0f);
  glRotatef(-45.0f, 0.0f, 0.0f, 1.0f);
  glRotatef(45.0f, 1.0f, 0.0f, 0.0f);
}

void DrawCubeFrame(FrameMotion motion) {
  const bool step = motion == FrameMotion::kStep;
  BeginSpritePass();
  const int inPlay = ParticlesInPlay();
  for (int i = 0; i < inPlay; ++i) {
    Particle& p = ParticleSwarm.Particles[i];
    if (step) StepCubeParticle(p);
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -kEyeDistance);
    if (!p.Outside) CubeSpin();
    glTranslatef(p.Position.x, p.Position.y, p.Position.z);
    if (!p.Outside) InverseCubeSpin();
    DrawParticleSprite();
    glPopMatrix();
  }
  EndSpritePass();
  DrawCubeFaces();
  if (step) RegenerateCubeShell();
}

void DrawCubeFaces() {
  glPushMatrix();
  glTranslatef(0.0f, 0.0f, -kEyeDistance);
  CubeSpin();
  for (int axis = 0; axis < 3; ++axis) {
    glPushMatrix();
    if (axis == 1) glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    if (axis == 2) glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    for (int side = 0; side < 2; ++side) {
      glPushMatrix();
      glTranslatef(0.0f, 0.0f, side == 0 ? kFaceDistance : -kFaceDistance);
      const CubeFace face = kFacesInDrawingOrder[axis][side];
      for (int j = -4; j <= 3; ++j) {
        glPushMatrix();
        glTranslatef(0.0f, static_cast<float>(j), 0.0f);
        for (int i = -4; i <= 3; ++i) {
          glPushMatrix();
          glTranslatef(static_cast<float>(i), 0.0f, 0.0f);
          DrawCellQuad(CubeSlot(face, j + 4, i + 4));
          glPopMatrix();
        }
        glPopMatrix();
      }
      glPopMatrix();
    }
    glPopMatrix();
  }
  glPopMatrix();
}
