// The test clock's one rule, which every program that takes a clock follows
// (ombrel-sim, ombrel-frames, ombrel, ombrel-wayland and the page): a scene
// started at calendar second T seeds frame i (counting from 0) from second
// T + i / K, K frames to a calendar second: 60, the scene's steps a second,
// unless the headless tools are told otherwise (--frames-per-second). So a
// frame of any host at --clock T is the frame that ombrel-frames writes at
// --clock T, whatever the host's real pace.
#pragma once

#include <cstdint>
#include <optional>

constexpr std::uint64_t kFramesPerClockSecond = 60;

// The calendar second that seeds frame `frame` of a scene started at second
// `clock`; it wraps with the clock's 32 bits.
std::uint32_t FrameSecond(std::uint32_t clock, std::uint64_t frame,
                          std::uint64_t framesPerSecond = kFramesPerClockSecond);

// What a host does before frame `frame` of its scene, and before making the
// scene (as frame 0): reseeds the random source from FrameSecond of `clock`,
// or from the calendar's second when there is no clock, and derives the
// scene's values from the settings in force.
void SeedFrame(const std::optional<std::uint32_t>& clock, std::uint64_t frame);
