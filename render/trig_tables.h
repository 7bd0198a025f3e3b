// Sine and cosine of every whole degree 0..479, to nine significant digits.
// The sphere's shell vertices are built from these; nothing is computed with
// sin or cos while drawing.
#pragma once

constexpr int kTrigTableSize = 480;

extern const double SineTable[kTrigTableSize];
extern const double CosineTable[kTrigTableSize];
