// Whether a frame moves the scene: every frame of a running scene takes its
// step as it draws; a still frame draws the scene as it stands.
#pragma once

enum class FrameMotion { kStep, kStill };
