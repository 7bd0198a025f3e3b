// Plain value types shared by the particles and the shells.
#pragma once

// A point or displacement in the container's own frame, container units.
struct Vector3 {
  float x, y, z;
};

// A cell colour: its own tint and its base alpha, to which the drawing adds
// the counter's share of opacity.
struct Colour {
  float r, g, b, a;
};

// The base alpha of every cell: visible in decay mode, invisible in growth.
inline float BaseAlpha(bool decay) { return decay ? 0.6f : 0.0f; }
