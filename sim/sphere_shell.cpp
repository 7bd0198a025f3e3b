#include "sim/sphere_shell.h"

#include <cmath>

#include "sim/random_source.h"
#include "sim/scene_parameters.h"

SphereShellData SphereShell;

namespace {

// Converts an angle in radians into tens of degrees.
constexpr double kTensOfDegrees = 18.0 / 3.14159265358979323846;

// Added to the polar angle of a particle in the half where y < 0.
constexpr float kHalfOffset = 3.14159265358979323846f;

// The row or column of an angle: 10 times its whole tens of degrees.
int DegreesIndex(double radians) {
  return kSphereCellDegrees * static_cast<int>(radians * kTensOfDegrees);
}

bool InDomain(double cosine) { return cosine >= -1.0 && cosine <= 1.0; }

}  // namespace

void InitSphereShell() {
  const float baseAlpha = BaseAlpha(SaverSettings.Decay != 0);
  for (int row = 0; row < kSphereRows; ++row) {
    for (int column = 0; column < kSphereColumns; ++column) {
      Colour& colour = SphereShell.Colours[row][column];
      colour.r = static_cast<float>(UniformRandom());
      colour.g = static_cast<float>(UniformRandom());
      colour.b = static_cast<float>(UniformRandom());
      colour.a = baseAlpha;
      SphereShell.Counters[row][column] = 0.0f;
    }
  }
}

void ResetSeamCounters() {
  for (int row = 0; row <= kLastSeamRow; row += kSphereCellDegrees) {
    SphereShell.Counters[row][0] = SphereShell.Counters[row + 1][0];
  }
}

SphereCell SphereCellOf(const Vector3& position) {
  const double polarCosine = static_cast<double>(position.z) / ShellRadius;
  if (!InDomain(polarCosine)) return {0, 0};
  float theta = static_cast<float>(std::acos(polarCosine));

  // The azimuth's argument is not a number when sin(theta) is 0 at a pole.
  const double azimuthCosine =
      static_cast<double>(position.x) / ShellRadius / std::sin(static_cast<double>(theta));
  const int column = InDomain(azimuthCosine) ? DegreesIndex(std::acos(azimuthCosine)) : 0;

  if (position.y < 0.0f) theta = theta + kHalfOffset;  // single-precision sum
  return {DegreesIndex(theta), column};
}

void StepSphereParticle(Particle& p) {
  const float distance = static_cast<float>(DistanceFromCentre(p.Position));
  if (distance > kFarAwayDistance) {
    p.Outside = 0;
    p.Position.x = CentredDraw(kSpawnBoxSize);
    p.Position.y = CentredDraw(kSpawnBoxSize);
    p.Position.z = CentredDraw(kSpawnBoxSize);
  } else if (distance > ContactDistance) {
    const SphereCell cell = SphereCellOf(p.Position);
    float& counter = SphereShell.Counters[cell.Row][cell.Column];
    if (std::fabs(counter) >= SaverSettings.Permeability) p.Outside = 1;
    if (!p.Outside) {
      p.Velocity.x = -p.Velocity.x;
      p.Velocity.y = -p.Velocity.y;
      p.Velocity.z = -p.Velocity.z;
      counter += static_cast<float>(CounterStep);
    }
  }
  MoveParticle(p);
}

void RegenerateSphereShell() {
  if (!SaverSettings.Regeneration) return;
  for (int row = 0; row <= kLastHealedRow; row += kSphereCellDegrees) {
    for (int column = 0; column <= kLastHealedColumn; column += kSphereCellDegrees) {
      const double u = UniformRandom();
      float& counter = SphereShell.Counters[row][column];
      if (u >= 0.95 && std::fabs(counter) >= SaverSettings.Permeability) counter = 0.0f;
    }
  }
}
