// The colour of one corner of a shell cell: the cell's own tint, and its base
// alpha plus the counter's share of opacity (AlphaScale per unit of counter).
// The alpha is formed in double precision and not clamped here; OpenGL clamps
// it. AlphaScale is finite by its derivation and counters are finite, so the
// colour always is.
#pragma once

#include <GL/gl.h>

#include "sim/scene_parameters.h"
#include "sim/types.h"

inline float CornerAlpha(const Colour& colour, double counter) {
  return static_cast<float>(static_cast<double>(AlphaScale) * counter + colour.a);
}

inline void SetCornerColour(const Colour& colour, double counter) {
  glColor4f(colour.r, colour.g, colour.b, CornerAlpha(colour, counter));
}
