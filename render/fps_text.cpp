#include "render/fps_text.h"

#include <GL/gl.h>

namespace {

// The seven segments a figure is made of, as bits: top, upper right, lower
// right, bottom, lower left, upper left, middle.
enum Segment { kTop = 1, kUpperRight = 2, kLowerRight = 4, kBottom = 8, kLowerLeft = 16, kUpperLeft = 32, kMiddle = 64 };

int SegmentsOf(char c) {
  switch (c) {
    case '0': return kTop | kUpperRight | kLowerRight | kBottom | kLowerLeft | kUpperLeft;
    case '1': return kUpperRight | kLowerRight;
    case '2': return kTop | kUpperRight | kMiddle | kLowerLeft | kBottom;
    case '3': return kTop | kUpperRight | kMiddle | kLowerRight | kBottom;
    case '4': return kUpperLeft | kMiddle | kUpperRight | kLowerRight;
    case '5': case 'S': return kTop | kUpperLeft | kMiddle | kLowerRight | kBottom;
    case '6': return kTop | kUpperLeft | kMiddle | kLowerLeft | kLowerRight | kBottom;
    case '7': return kTop | kUpperRight | kLowerRight;
    case '8': return 127;
    case '9': return kTop | kUpperLeft | kUpperRight | kMiddle | kLowerRight | kBottom;
    case 'F': return kTop | kUpperLeft | kMiddle | kLowerLeft;
    case 'P': return kTop | kUpperLeft | kUpperRight | kMiddle | kLowerLeft;
    case '-': return kMiddle;
    default: return 0;
  }
}

// A filled rectangle in pixels from the lower-left corner.
void Box(float x, float y, float w, float h) {
  glBegin(GL_QUADS);
  glVertex3f(x, y, 0.0f);
  glVertex3f(x + w, y, 0.0f);
  glVertex3f(x + w, y + h, 0.0f);
  glVertex3f(x, y + h, 0.0f);
  glEnd();
}

// Figure cell, in pixels before scaling: 7 wide with 2 between figures, 12
// high, segments 1 thick; a colon or point is 3 wide.
constexpr float kWidth = 7, kHeight = 12, kGap = 2, kNarrow = 3, kMargin = 4;

float Advance(char c) { return (c == ':' || c == '.' ? kNarrow : kWidth) + kGap; }

// One figure with its lower-left corner at x, y.
void Figure(char c, float x, float y) {
  if (c == ':' || c == '.') {
    Box(x + 1, y, 1, 1);
    if (c == ':') Box(x + 1, y + 7, 1, 1);
    return;
  }
  const int s = SegmentsOf(c);
  const float half = kHeight / 2;
  if (s & kTop) Box(x, y + kHeight - 1, kWidth, 1);
  if (s & kMiddle) Box(x, y + half - 0.5f, kWidth, 1);
  if (s & kBottom) Box(x, y, kWidth, 1);
  if (s & kUpperLeft) Box(x, y + half, 1, half);
  if (s & kLowerLeft) Box(x, y, 1, half);
  if (s & kUpperRight) Box(x + kWidth - 1, y + half, 1, half);
  if (s & kLowerRight) Box(x + kWidth - 1, y, 1, half);
}

}  // namespace

void DrawFpsText(const std::string& text, int width, int height, int scale) {
  // Pixels to clip coordinates, the figures' units to pixels.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glTranslatef(-1.0f, -1.0f, 0.0f);
  glScalef(2.0f * scale / width, 2.0f * scale / height, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_BLEND);

  float textWidth = 0;
  for (const char c : text) textWidth += Advance(c);
  glColor3f(0.0f, 0.0f, 0.0f);
  Box(0, 0, textWidth - kGap + 2 * kMargin, kHeight + 2 * kMargin);
  glColor3f(1.0f, 1.0f, 1.0f);
  float x = kMargin;
  for (const char c : text) {
    Figure(c, x, kMargin);
    x += Advance(c);
  }
  glEnable(GL_BLEND);
  glFlush();
}
