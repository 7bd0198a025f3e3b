#include <EGL/egl.h>

#include "gl11/gl11.h"
#include "headless/render_context.h"

bool CreateRenderContext(OffscreenContext& context, int width, int height, std::string& error) {
  return context.Create(width, height, error, OffscreenApi::kOpenGLES3) && Gl11Init(eglGetProcAddress, error);
}
