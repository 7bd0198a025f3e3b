#include "sim/scene_parameters.h"

SaverSettingsRecord SaverSettings = {0, 0, 0, 0.0f, 0.0f, 0};
std::int32_t CounterStep = 0;
float AlphaScale = 0.0f;

void DeriveSceneParameters() {
  CounterStep = SaverSettings.Decay != 0 ? -1 : +1;

  // "P >= 1" is false for NaN as well, so NaN also takes the bound.
  const float divisor = SaverSettings.Permeability >= 1.0f ? SaverSettings.Permeability : 1.0f;
  AlphaScale = static_cast<float>(static_cast<double>(0.6f) / divisor);
}
