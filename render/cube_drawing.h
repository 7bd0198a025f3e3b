// The cube container's frame: step and draw every particle in play, draw the
// six faces with each cell's opacity showing its counter, then heal.
#pragma once

#include "render/frame_motion.h"

// The cube's turning: -45 degrees about x, 45 about z, then FrameCounter
// degrees about the body diagonal (1, 1, 1).
void CubeSpin();

// Undoes CubeSpin, so that a sprite drawn after it faces the viewer.
void InverseCubeSpin();

// kStill draws the particles and cells as they are: no step, no healing.
void DrawCubeFrame(FrameMotion motion = FrameMotion::kStep);

// The face pass: 6 faces x 64 cells, one smooth-shaded quad per cell whose
// corners take their colours from the slot grid points.
void DrawCubeFaces();
