// The scene's data as a whole: their one-time initialisation in its fixed
// order, the frame counter, and one frame of the simulation without any
// drawing (the headless tool and the benchmarks use it; the renderer's frame
// routines interleave the same steps, in the same order, with their drawing,
// and a test holds the two to the same results).
#pragma once

#include <cstdint>

// Counts frames; also the containers' spin angle in degrees. Set to 4 by the
// initialisation and advanced before each frame, so the first frame is 5.
extern std::int32_t FrameCounter;

// The data steps of the scene initialisation, in their fixed order: cube
// shell, FrameCounter := 4, particle swarm, sphere shell. Takes 506,900 draws.
void InitSceneData();

// Adds 1 to FrameCounter with 32-bit wrap-around.
void AdvanceFrameCounter();

// One frame of the container that ObjectType chooses, without drawing:
// FrameCounter + 1, then for the cube each particle in play and the healing
// pass, for the sphere the seam reset, each particle in play and the
// regeneration pass.
void SimulateFrame();
