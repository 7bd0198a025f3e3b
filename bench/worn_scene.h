// A steady, worn scene to measure in: the scene set up as the saver would at
// a fixed calendar second, then run for a few thousand frames, reseeding once
// per simulated second.
#pragma once

#include <cstdint>
#include <functional>

#include "sim/scene_data.h"

// Sets the container and the particle count (the other settings at their
// defaults), initialises the scene with `initialise` (the data alone, or the
// renderer's whole scene initialisation where a GL context is current) and
// runs 3000 frames of the simulation.
void PrepareWornScene(std::uint8_t objectType, float particles,
                      const std::function<void()>& initialise = InitSceneData);
