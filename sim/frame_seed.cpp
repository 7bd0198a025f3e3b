#include "sim/frame_seed.h"

#include "sim/random_source.h"
#include "sim/scene_parameters.h"

std::uint32_t FrameSecond(std::uint32_t clock, std::uint64_t frame, std::uint64_t framesPerSecond) {
  return static_cast<std::uint32_t>(clock + frame / framesPerSecond);
}

void SeedFrame(const std::optional<std::uint32_t>& clock, std::uint64_t frame) {
  if (clock) ReseedFromTime(FrameSecond(*clock, frame));
  else ReseedFromClock();
  DeriveSceneParameters();
}
