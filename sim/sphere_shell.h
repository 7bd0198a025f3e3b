// The sphere container: a shell of radius 8 whose surface is divided into
// cells of 10 x 10 degrees, in two mirror-image halves (y >= 0 and y < 0).
//
// Rows are polar angles from +z in whole degrees (0..180 for the first half,
// 180 + angle for the second), columns azimuths from +x (0..180, towards +y in
// the first half and towards -y in the second). A cell is an entry whose row
// and column are multiples of 10. A particle beyond ContactDistance that
// meets an intact cell is sent back the way it came and counts on the cell;
// one that meets a broken cell passes through.
#pragma once

#include "sim/particle_swarm.h"
#include "sim/types.h"

constexpr int kSphereRows = 450;
constexpr int kSphereColumns = 360;

// Cells are 10 degrees apart in both directions.
constexpr int kSphereCellDegrees = 10;

// The seam: column 0's cells of rows 0..350, reset at the start of a frame.
constexpr int kLastSeamRow = 350;

// The healing pass visits rows 0..390 and columns 0..170. Rows 370..390 lie
// beyond the last row a contact reaches (polar angle 180 + 180 degrees), so
// their counters never leave 0; they still take their draw, as every
// position does, which keeps the random sequence of all later frames.
constexpr int kLastHealedRow = 390;
constexpr int kLastHealedColumn = 170;

constexpr float ShellRadius = 8.0f;
constexpr float ContactDistance = 7.9f;

struct SphereShellData {
  float Counters[kSphereRows][kSphereColumns];
  Colour Colours[kSphereRows][kSphereColumns];
};

extern SphereShellData SphereShell;

struct SphereCell {
  int Row, Column;
};

// Every entry's colour (three draws each) and counter, rows then columns.
void InitSphereShell();

// Sets the 36 seam counters of column 0 (rows 0..350) from the entries just
// below them, which always hold 0: seam cells count only within a frame.
void ResetSeamCounters();

// The cell that a particle at this position touches. Arguments outside the
// arc cosines' domains give index 0 (row and column when z / 8 is out of
// range, the column alone when the azimuth's argument is).
SphereCell SphereCellOf(const Vector3& position);

// One frame of one particle: far-away reset or shell contact, then the move.
void StepSphereParticle(Particle& p);

// One draw for each of 720 positions; a broken cell heals at u >= 0.95.
void RegenerateSphereShell();
