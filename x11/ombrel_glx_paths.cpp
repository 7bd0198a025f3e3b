// The one path of `ombrel-glx`, whose renderer draws with the system's
// OpenGL 1.1.
#include "x11/window_gl.h"

const std::vector<GlPath>& ProgramGlPaths() {
  static const std::vector<GlPath> paths = {{GlChoice::kGlx, "OpenGL 1.1 through GLX", MakeGlxWindowGl}};
  return paths;
}

const GlPath* const kFallbackPath = nullptr;
const char* const kFallbackProgram = nullptr;
