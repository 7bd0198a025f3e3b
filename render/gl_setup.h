// The OpenGL side of the scene that no container owns: the fixed pipeline
// state, the projection, the particle texture and the particle sprite.
//
// Everything here needs only a current OpenGL 1.1 context (and GLU); which
// window system made it is the caller's business.
//
// Pipeline state for the whole run, once InitGLState and InitSpriteState have
// run: smooth shading; opaque black clear colour; clear depth 1; depth test
// off with GL_LEQUAL; perspective hint GL_NICEST; additive blending
// (GL_SRC_ALPHA, GL_ONE); texture 1 bound, texturing on only during each
// frame's particle pass; default texture environment (GL_MODULATE) and wrap
// modes; model-view matrix mode. Nothing else changes any of it.
#pragma once

#include <cstdint>

constexpr int kSpriteSize = 64;

// The viewport's lower edge; the scene window sets it when it switches the
// display mode.
extern std::int32_t ViewportYOffset;

// Both containers' centres are drawn this far in front of the eye.
constexpr float kEyeDistance = 29.0f;

// The OpenGL texture name of the sprite, used directly (never generated).
constexpr unsigned kSpriteTextureName = 1;

void InitGLState();

// Viewport (0, ViewportYOffset, width, height) and a 45-degree perspective
// from 0.1 to 100; a height of 0 counts as 1.
void SetProjection(std::int32_t width, std::int32_t height);

// SetProjection with a vertical field of view of `fovyDegrees` instead of 45.
void SetProjectionWithField(std::int32_t width, std::int32_t height, double fovyDegrees);

// The vertical field of view that shows across `width` what 45 degrees show
// across a square: 45 where the picture is at least as wide as it is high,
// wider where it is higher (a portrait phone), so that the containers stay
// whole on screen. The desktop programs keep 45 whatever the shape.
double WholeSceneFieldOfView(std::int32_t width, std::int32_t height);

// Fills the sprite's 64 x 64 alpha texels and uploads them as texture 1 with
// all their mipmaps: a cone that falls by 8 per texel of distance from texel
// (32, 32) and is 0 from 32 out.
void CreateSpriteTexture();

// The texture, a white current colour, then additive blending.
void InitSpriteState();

// The particle pass of a frame: texturing on, the sprite texture bound and
// the sprite colour (0.65, 0.85, 0) set once; one textured 0.2 x 0.2 quad
// per particle around the current origin; texturing off again.
void BeginSpritePass();
void DrawParticleSprite();
void EndSpritePass();
