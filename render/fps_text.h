// The frame rate in the lower-left corner of a frame ("FPS: 59.9") for the
// programs that show the scene on a display, drawn with the GL 1.1 calls
// that the layer implements, so the same on either OpenGL: white seven-segment
// figures of filled quads on a black box, since the layer has no fonts,
// bitmaps or display lists. It is drawn after the scene and leaves texturing
// off and blending on, as the renderer has them between frames; the
// projection is the caller's to set again before the next frame.
#pragma once

#include <string>

// Draws `text` (digits, "FPS", ':', '.', '-' and blanks) into a picture of
// width x height pixels, each figure `scale` times its size of 7 x 12 pixels.
void DrawFpsText(const std::string& text, int width, int height, int scale);
