#include "render/gl_setup.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

std::int32_t ViewportYOffset = 0;

namespace {

// The particle's picture: one alpha byte per texel, row by row. Kept for the
// whole run, as the upload was made from it.
std::uint8_t SpriteTexture[kSpriteSize * kSpriteSize];

constexpr float kSpriteHalfSize = 0.1f;

std::uint8_t SpriteTexel(int row, int column) {
  const int dr = row - kSpriteSize / 2, dc = column - kSpriteSize / 2;
  const int d = static_cast<int>(std::sqrt(static_cast<double>(dr * dr + dc * dc)));
  return d < 32 ? static_cast<std::uint8_t>(255 - 8 * d) : 0;
}

}  // namespace

void InitGLState() {
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClearDepth(1.0);
  glDisable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void SetProjection(std::int32_t width, std::int32_t height) { SetProjectionWithField(width, height, 45.0); }

void SetProjectionWithField(std::int32_t width, std::int32_t height, double fovyDegrees) {
  if (height == 0) height = 1;
  glViewport(0, ViewportYOffset, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovyDegrees, static_cast<double>(width) / height, static_cast<double>(0.1f), 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

double WholeSceneFieldOfView(std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= width) return 45.0;
  constexpr double kDegrees = 180 / 3.14159265358979323846;
  const double halfField = 22.5 / kDegrees;
  return 2 * std::atan(std::tan(halfField) * height / width) * kDegrees;
}

void CreateSpriteTexture() {
  for (int row = 0; row < kSpriteSize; ++row)
    for (int column = 0; column < kSpriteSize; ++column)
      SpriteTexture[kSpriteSize * row + column] = SpriteTexel(row, column);

  glBindTexture(GL_TEXTURE_2D, kSpriteTextureName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  // Failures are not reported anywhere: a missing texture only dims the sprites.
  gluBuild2DMipmaps(GL_TEXTURE_2D, GL_ALPHA, kSpriteSize, kSpriteSize, GL_ALPHA, GL_UNSIGNED_BYTE,
                    SpriteTexture);
}

void InitSpriteState() {
  CreateSpriteTexture();
  glColor3f(1.0f, 1.0f, 1.0f);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
}

void BeginSpritePass() {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kSpriteTextureName);
  glColor3f(0.65f, 0.85f, 0.0f);
}

void DrawParticleSprite() {
  glBegin(GL_QUADS);
  glTexCoord2i(0, 0);
  glVertex3f(-kSpriteHalfSize, -kSpriteHalfSize, 0.0f);
  glTexCoord2i(1, 0);
  glVertex3f(kSpriteHalfSize, -kSpriteHalfSize, 0.0f);
  glTexCoord2i(1, 1);
  glVertex3f(kSpriteHalfSize, kSpriteHalfSize, 0.0f);
  glTexCoord2i(0, 1);
  glVertex3f(-kSpriteHalfSize, kSpriteHalfSize, 0.0f);
  glEnd();
}

void EndSpritePass() { glDisable(GL_TEXTURE_2D); }
