#include "headless/render_context.h"

bool CreateRenderContext(OffscreenContext& context, int width, int height, std::string& error) {
  return context.Create(width, height, error, OffscreenApi::kOpenGL);
}
