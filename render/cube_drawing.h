// The cube container's frame: step and draw every particle in play, draw the
// six faces with each cell's opacity showing its counter, then heal.
#pragma once

// The cube's turning: -45 degrees about x, 45 about z, then FrameCounter
// degrees about the body diagonal (1, 1, 1).
void CubeSpin();

// Undoes CubeSpin, so that a sprite drawn after it faces the viewer.
void InverseCubeSpin();

void DrawCubeFrame();

// The face pass: 6 faces x 64 cells, one smooth-shaded quad per cell whose
// corners take their colours from the slot grid points.
void DrawCubeFaces();
