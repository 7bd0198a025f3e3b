// The particles: a fixed pool of 2100 records, filled once from the random
// source. The first SpawnPoints of them are in play; the active container
// steps and draws those every frame.
#pragma once

#include <cstdint>

#include "sim/types.h"

struct Particle {
  std::uint8_t Outside;  // 1 once it has passed through a broken cell
  Vector3 Position;      // container frame, origin at the centre
  Vector3 Velocity;      // displacement per frame
};

constexpr int kSwarmSize = 2100;

// Initial positions, and the sphere's put-back positions, lie in a box of
// this size about the centre.
constexpr float kSpawnBoxSize = 6.5f;
constexpr float kSpawnSpeedRange = 0.15f;

// Beyond this distance from the centre a particle is put back into play.
constexpr double kFarAwayDistance = 100.0;

struct ParticleSwarmArray {
  Particle Particles[kSwarmSize];
};

extern ParticleSwarmArray ParticleSwarm;

// Fills all 2100 records, nine draws each, whatever SpawnPoints says.
void InitParticleSwarm();

// The number of records in play: those whose index i satisfies
// i < SpawnPoints (compared as floats), never more than the pool holds,
// none when SpawnPoints is 0, negative or not a number.
int ParticlesInPlay();

// (u - 0.5) * factor for one uniform draw u, rounded to single precision.
float CentredDraw(float factor);

// Distance from the centre, formed in double precision.
double DistanceFromCentre(const Vector3& p);

// Adds the velocity to the position, each sum rounded to single precision.
void MoveParticle(Particle& p);
