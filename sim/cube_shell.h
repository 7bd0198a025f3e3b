// The cube container: six faces at distance 4 from the centre, 8 x 8 cells
// each. A particle bounces off the cell it reaches and moves that cell's
// counter one step; once the counter has reached Permeability in magnitude
// the cell lets the next particle through. Broken cells heal at random.
#pragma once

#include <cstdint>

#include "sim/particle_swarm.h"

// Slots 0..383 are the face cells (slot = 64 face + 8 row + column); 384..392
// give the far corner colours of face 5's last row; the rest are only
// initialised and visited by the healing pass.
constexpr int kCubeSlots = 500;
constexpr int kCubeCellsPerSide = 8;
constexpr int kCubeCellsPerFace = kCubeCellsPerSide * kCubeCellsPerSide;

// The six faces, numbered in the order the drawing walks them: the two faces
// across z, then those across x, then those across y (the drawing reaches
// the x pair by a quarter turn about y and the y pair by one about x, which
// brings -y before +y). Face f's cells are the slots from 64 f.
enum CubeFace { kFacePlusZ, kFaceMinusZ, kFacePlusX, kFaceMinusX, kFaceMinusY, kFacePlusY };

// The slot of the cell in `row` and `column` of `face`.
constexpr int CubeSlot(CubeFace face, int row, int column) {
  return kCubeCellsPerFace * face + kCubeCellsPerSide * row + column;
}

// A particle reaches a face when a coordinate is at least this far out.
constexpr float kCubeWallDistance = 3.9f;

struct CubeShellData {
  std::int32_t Counters[kCubeSlots];
  Colour Colours[kCubeSlots];
};

extern CubeShellData CubeShell;

// Sets every slot's colour (four draws each) and zeroes every counter.
void InitCubeShell();

// One frame of one particle inside the cube: far-away reset, move, then the
// six wall tests on the moved position.
void StepCubeParticle(Particle& p);

// The healing pass: each broken slot draws once and heals at u >= 0.95.
void RegenerateCubeShell();
