// The scene's data as a whole: their one-time initialisation in its fixed
// order, the frame counter, and each container's simulation for one frame
// without any drawing (the headless tool and the benchmarks use these; the
// renderer interleaves the same steps with its drawing).
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

// One frame of the cube without drawing: each particle in play, then healing.
void SimulateCubeFrame();

// One frame of the sphere without drawing: seam reset, each particle in play,
// then regeneration.
void SimulateSphereFrame();
