#include "x11/fps_overlay.h"

#include <GL/glx.h>

namespace {

// The printable ASCII characters get one display list each.
constexpr int kFirstCharacter = 32, kCharacterCount = 95;
constexpr int kMargin = 4;

}  // namespace

bool FpsOverlay::Create(Display* display) {
  font_ = XLoadQueryFont(display, "fixed");
  if (font_ == nullptr) return false;
  lists_ = glGenLists(kCharacterCount);
  glXUseXFont(font_->fid, kFirstCharacter, kCharacterCount, lists_);
  return true;
}

void FpsOverlay::Destroy(Display* display) {
  if (font_ == nullptr) return;
  glDeleteLists(lists_, kCharacterCount);
  XFreeFont(display, font_);
  font_ = nullptr;
}

void FpsOverlay::Draw(const std::string& text, int width, int height) const {
  const int textWidth = XTextWidth(font_, text.data(), static_cast<int>(text.size()));
  const int boxWidth = textWidth + 2 * kMargin, boxHeight = font_->ascent + font_->descent + 2 * kMargin;

  // Enables, current colour and raster position, matrix mode.
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);

  glColor3f(0.0f, 0.0f, 0.0f);
  glRecti(0, 0, boxWidth, boxHeight);
  glColor3f(1.0f, 1.0f, 1.0f);
  glRasterPos2i(kMargin, kMargin + font_->descent);
  // Mesa's glXUseXFont leaves the list of a blank glyph empty, without the
  // glyph's advance, so blanks move the raster position here.
  const int blankWidth = XTextWidth(font_, " ", 1);
  for (const char c : text) {
    if (c == ' ') glBitmap(0, 0, 0.0f, 0.0f, static_cast<GLfloat>(blankWidth), 0.0f, nullptr);
    else glCallList(lists_ + static_cast<unsigned char>(c) - kFirstCharacter);
  }

  glPopMatrix();  // the model-view matrix
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();
}
