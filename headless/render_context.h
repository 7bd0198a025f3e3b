// The offscreen context that a headless program's renderer draws into. A
// program links one of two definitions: render_context_gl.cpp, a desktop
// OpenGL context for the renderer on the system's OpenGL, or
// render_context_gl11.cpp, an OpenGL ES 3.0 context with the GL 1.1 layer
// (gl11/) set up on it for the renderer linked against the layer.
#pragma once

#include <string>

#include "headless/offscreen_context.h"

// Creates the context at width x height and makes it current. Returns false
// with `error` set when it cannot.
bool CreateRenderContext(OffscreenContext& context, int width, int height, std::string& error);
