// The frame rate in the lower-left corner of the picture, white on a black
// box, in the X server's "fixed" font turned into display lists by
// glXUseXFont. It is drawn after the scene and puts back every piece of
// OpenGL state that it touches, so the next frame starts from the pipeline
// state that the renderer set up.
#pragma once

#include <X11/Xlib.h>
#include <GL/gl.h>

#include <string>

class FpsOverlay {
 public:
  // Loads the font and makes its display lists in the current context.
  // Returns false when the server has no such font.
  bool Create(Display* display);

  // Frees the font and the lists.
  void Destroy(Display* display);

  // Draws `text` (printable ASCII) into a picture of width x height pixels.
  void Draw(const std::string& text, int width, int height) const;

 private:
  XFontStruct* font_ = nullptr;
  GLuint lists_ = 0;
};
