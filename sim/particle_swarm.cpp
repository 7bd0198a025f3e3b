#include "sim/particle_swarm.h"

#include <cmath>

#include "sim/random_source.h"
#include "sim/scene_parameters.h"

ParticleSwarmArray ParticleSwarm;

float CentredDraw(float factor) {
  return static_cast<float>((UniformRandom() - 0.5) * static_cast<double>(factor));
}

void InitParticleSwarm() {
  for (Particle& p : ParticleSwarm.Particles) {
    p.Outside = 0;
    for (int skipped = 0; skipped < 3; ++skipped) UniformRandom();
    p.Position.x = CentredDraw(kSpawnBoxSize);
    p.Position.y = CentredDraw(kSpawnBoxSize);
    p.Position.z = CentredDraw(kSpawnBoxSize);
    p.Velocity.x = CentredDraw(kSpawnSpeedRange);
    p.Velocity.y = CentredDraw(kSpawnSpeedRange);
    p.Velocity.z = CentredDraw(kSpawnSpeedRange);
  }
}

int ParticlesInPlay() {
  const float spawn = SaverSettings.SpawnPoints;
  if (!(spawn > 0.0f)) return 0;
  if (spawn >= static_cast<float>(kSwarmSize)) return kSwarmSize;
  // Indices below 2100 are exact as floats, so i < spawn holds exactly for
  // i = 0 .. ceil(spawn) - 1.
  return static_cast<int>(std::ceil(static_cast<double>(spawn)));
}

double DistanceFromCentre(const Vector3& p) {
  const double x = p.x, y = p.y, z = p.z;
  return std::sqrt(x * x + y * y + z * z);
}

void MoveParticle(Particle& p) {
  // A float sum is the exact sum rounded once to single precision.
  p.Position.x += p.Velocity.x;
  p.Position.y += p.Velocity.y;
  p.Position.z += p.Velocity.z;
}
