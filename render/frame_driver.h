// Ties the scene together: the one-time initialisation and the frame.
#pragma once

#include <cstdint>

// The sprite state, then the scene's data in their fixed order (cube shell,
// FrameCounter 4, particles, sphere shell), all from one random sequence.
void InitScene();

// The scene window's creation order for a picture of width x height pixels:
// SetProjection, InitGLState, then InitScene.
void StartScene(std::int32_t width, std::int32_t height);

// The OpenGL side of StartScene alone, on a new context (after the page's
// WebGL context was lost and restored): projection, pipeline state, the
// sprite texture and its state; the scene's data go on as they were.
void RestoreSceneGL(std::int32_t width, std::int32_t height);

// One frame into the back buffer: FrameCounter + 1, clear, identity, the
// container that ObjectType chooses (read anew every frame), flush.
void RenderFrame();

// The scene as it stands, drawn again without a step (a paused host's picture
// after a resize or a change of settings): the same calls as RenderFrame but
// that FrameCounter, the particles, the cells and the random source are left
// as they are.
void RenderStillFrame();
