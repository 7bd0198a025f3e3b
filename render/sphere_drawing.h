// The sphere container's frame: the shell drawn from its cells, every
// particle in play stepped and drawn, then the regeneration pass.
#pragma once

#include "render/frame_motion.h"

// The sphere's orientation: FrameCounter degrees about y, then 90 about x,
// which stands the polar axis upright on the screen.
void SphereSpin();

// Always returns true; the frame driver ignores the result. kStill draws the
// shell and particles as they are: no seam reset, no step, no regeneration.
bool DrawSphereFrame(FrameMotion motion = FrameMotion::kStep);

// 18 x 18 quads in each half of the unit sphere; the second half is the
// first mirrored in y = 0, with its own counters and the first half's tints.
void DrawSphereShell();
