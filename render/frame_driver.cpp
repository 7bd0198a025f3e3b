#include "render/frame_driver.h"

#include <GL/gl.h>

#include "render/cube_drawing.h"
#include "render/gl_setup.h"
#include "render/sphere_drawing.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"

void InitScene() {
  InitSpriteState();
  InitSceneData();
}

void StartScene(std::int32_t width, std::int32_t height) {
  SetProjection(width, height);
  InitGLState();
  InitScene();
}

void RestoreSceneGL(std::int32_t width, std::int32_t height) {
  SetProjection(width, height);
  InitGLState();
  InitSpriteState();
}

namespace {

void DrawFrame(FrameMotion motion) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  if (SaverSettings.ObjectType != kSphereObject) DrawCubeFrame(motion);
  else DrawSphereFrame(motion);
  glFlush();
}

}  // namespace

void RenderFrame() {
  AdvanceFrameCounter();
  DrawFrame(FrameMotion::kStep);
}

void RenderStillFrame() { DrawFrame(FrameMotion::kStill); }
