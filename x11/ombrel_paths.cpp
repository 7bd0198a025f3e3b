// The paths of `ombrel`, whose renderer draws through the GL 1.1 layer:
// OpenGL ES 3 through GLX's ES profile, else on an EGL window surface, else
// handed over to `ombrel-glx`.
#include "x11/window_gl.h"

namespace {

const GlPath kGlxPath{GlChoice::kGlx, "OpenGL 1.1 through GLX", nullptr};

}  // namespace

const std::vector<GlPath>& ProgramGlPaths() {
  static const std::vector<GlPath> paths = {
      {GlChoice::kGlxEs, "OpenGL ES 3 through GLX", MakeGlxEsWindowGl},
      {GlChoice::kEgl, "OpenGL ES 3 through EGL", MakeEglWindowGl},
  };
  return paths;
}

const GlPath* const kFallbackPath = &kGlxPath;
const char* const kFallbackProgram = "ombrel-glx";
