// What the tests of ombrel-wayland on a headless sway share: the fixture
// that starts sway with the tests' virtual keyboard and pointer and the
// program, and the pictures' checks. Each file derives a fixture of its own
// from SwayTest, so that its tests are a suite of their own.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_process.h"
#include "tests/wayland/headless_sway.h"
#include "tests/wayland/virtual_input.h"

inline const std::string kSaver = OMBREL_WAYLAND_PATH;

// The scene's clear colour fills the corners of a shown scene (the container
// stays in the middle); sway's own background is grey.
inline bool SceneShown(const Image& shot) {
  if (shot.rgb.empty()) return false;
  for (const auto& [x, y] : {std::pair{0, 0}, {shot.width - 1, 0}, {0, shot.height - 1}, {shot.width - 1, shot.height - 1}})
    if (shot.Lit(x, y)) return false;
  return true;
}

inline bool SceneHidden(const Image& shot) {
  return !shot.rgb.empty() && shot.Lit(0, 0) && shot.Lit(shot.width - 1, shot.height - 1);
}

// Whether `shot` shows a lock of one colour (0xRRGGBB), swaylock's: that
// colour near the corners and halfway to the middle (where its indicator
// is not).
inline bool LockShown(const Image& shot, std::uint32_t rgb) {
  if (shot.rgb.empty()) return false;
  const std::uint8_t want[3] = {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                                static_cast<std::uint8_t>(rgb)};
  const int w = shot.width, h = shot.height;
  const std::pair<int, int> points[] = {{2, 2},         {w - 3, 2},     {2, h - 3},
                                        {w - 3, h - 3}, {w / 4, h / 4}, {3 * w / 4, 3 * h / 4}};
  for (const auto& [x, y] : points)
    if (!std::equal(want, want + 3, shot.At(x, y))) return false;
  return true;
}

// Pixels in the middle of a lock's picture that are not its colour:
// swaylock's indicator, which it draws there when a key comes.
inline int IndicatorPixels(const Image& shot, std::uint32_t rgb) {
  if (shot.rgb.empty()) return 0;
  const std::uint8_t want[3] = {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                                static_cast<std::uint8_t>(rgb)};
  int n = 0;
  for (int y = shot.height / 2 - 100; y < shot.height / 2 + 100; ++y)
    for (int x = shot.width / 2 - 100; x < shot.width / 2 + 100; ++x)
      n += std::equal(want, want + 3, shot.At(x, y)) ? 0 : 1;
  return n;
}

class SwayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SwayInstalled()) GTEST_SKIP() << "sway is not installed";
  }

  // sway with `outputs` outputs, `config` added to its configuration and
  // `prepare` filling its bin folder (HeadlessSway), and the test's input
  // devices.
  void StartSway(int outputs, const std::string& config = "",
                 const std::function<void(const std::string&)>& prepare = {}) {
    sway_ = std::make_unique<HeadlessSway>(outputs, config, prepare);
    ASSERT_TRUE(sway_->Ready()) << "sway did not start:\n" << sway_->Log();
    input_ = std::make_unique<VirtualInput>();
    ASSERT_EQ(input_->Error(), "");
  }

  std::unique_ptr<Process> StartSaver(std::vector<std::string> arguments,
                                      const std::vector<std::string>& environment = {}) {
    arguments.insert(arguments.begin(), kSaver);
    return std::make_unique<Process>(arguments, environment);
  }

  // Waits until the scene covers the corners of `output`.
  bool WaitShown(const std::string& output, TestClock::duration limit = 20s) {
    return WaitFor([&] { return SceneShown(sway_->Screenshot(output)); }, limit);
  }
  bool WaitHidden(const std::string& output, TestClock::duration limit = 20s) {
    return WaitFor([&] { return SceneHidden(sway_->Screenshot(output)); }, limit);
  }

  // Waits until `output` shows a frame other than the one it shows now: the
  // program still draws.
  bool WaitMoving(const std::string& output) {
    const Image before = sway_->Screenshot(output);
    return WaitFor([&] { return PixelsBeyond(sway_->Screenshot(output), before, 0) > 0; }, 10s);
  }

  std::unique_ptr<HeadlessSway> sway_;
  std::unique_ptr<VirtualInput> input_;
};
