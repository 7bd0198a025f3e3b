#include "sim/cube_shell.h"

#include <cmath>
#include <limits>

#include "sim/random_source.h"
#include "sim/scene_parameters.h"

CubeShellData CubeShell;

namespace {

// The cell coordinate of a position: c + 4 formed in double precision and
// truncated. A particle with Outside clear normally stays within 3.98 of the
// centre, so this lies in 0..7; it can lie outside when the container was
// switched from sphere to cube while the particle was beyond the cube's
// walls, and the clamp keeps every slot inside its own face.
int CellCoordinate(float c) {
  const int cell = static_cast<int>(static_cast<double>(c) + 4.0);
  if (cell < 0) return 0;
  if (cell > kCubeCellsPerSide - 1) return kCubeCellsPerSide - 1;
  return cell;
}

// The two tests are written out separately, not as each other's negation,
// so that a Permeability that is not a number fails both, as compared.
bool IsIntact(std::int32_t counter) {
  return std::fabs(static_cast<double>(counter)) < SaverSettings.Permeability;
}

bool IsBroken(std::int32_t counter) {
  return std::fabs(static_cast<double>(counter)) >= SaverSettings.Permeability;
}

// One bounce's count. A counter stops at -INT32_MAX and INT32_MAX: only a
// hand-edited Permeability of 2^31 or more lets it get there (after weeks of
// running), and one step further would overflow 32 bits.
void Count(std::int32_t& counter) {
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  const std::int64_t next = static_cast<std::int64_t>(counter) + CounterStep;
  if (next >= -kLimit && next <= kLimit) counter = static_cast<std::int32_t>(next);
}

// A wall test whose condition holds: bounce off an intact cell and count on
// it, or pass through a broken one. A particle already outside is left alone.
void HitWall(Particle& p, int slot, float& velocity) {
  if (p.Outside) return;
  std::int32_t& counter = CubeShell.Counters[slot];
  if (IsIntact(counter)) {
    velocity = -velocity;
    Count(counter);
  } else {
    p.Outside = 1;
  }
}

}  // namespace

void InitCubeShell() {
  const float baseAlpha = BaseAlpha(SaverSettings.Decay != 0);
  for (Colour& colour : CubeShell.Colours) {
    colour.r = static_cast<float>(UniformRandom());
    colour.g = static_cast<float>(UniformRandom());
    colour.b = static_cast<float>(UniformRandom());
    UniformRandom();  // drawn but not kept
    colour.a = baseAlpha;
  }
  for (std::int32_t& counter : CubeShell.Counters) counter = 0;
}

void StepCubeParticle(Particle& p) {
  if (DistanceFromCentre(p.Position) > kFarAwayDistance) {
    p.Position = {0.0f, 0.0f, 0.0f};
    p.Outside = 0;
  }
  MoveParticle(p);

  const Vector3& at = p.Position;
  const int cx = CellCoordinate(at.x);
  const int cy = CellCoordinate(at.y);
  const int cz = CellCoordinate(at.z);

  // On the x faces the columns run against z, as the quarter turn that
  // draws them lays them out.
  constexpr int kLast = kCubeCellsPerSide - 1;
  if (at.x >= kCubeWallDistance) HitWall(p, CubeSlot(kFacePlusX, cy, kLast - cz), p.Velocity.x);
  if (at.x <= -kCubeWallDistance) HitWall(p, CubeSlot(kFaceMinusX, cy, kLast - cz), p.Velocity.x);
  if (at.y >= kCubeWallDistance) HitWall(p, CubeSlot(kFacePlusY, cz, cx), p.Velocity.y);
  if (at.y <= -kCubeWallDistance) HitWall(p, CubeSlot(kFaceMinusY, cz, cx), p.Velocity.y);
  if (at.z >= kCubeWallDistance) HitWall(p, CubeSlot(kFacePlusZ, cy, cx), p.Velocity.z);
  if (at.z <= -kCubeWallDistance) HitWall(p, CubeSlot(kFaceMinusZ, cy, cx), p.Velocity.z);
}

void RegenerateCubeShell() {
  if (!SaverSettings.Regeneration) return;
  for (std::int32_t& counter : CubeShell.Counters) {
    if (IsBroken(counter) && UniformRandom() >= 0.95) counter = 0;
  }
}
