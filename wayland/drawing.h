// The outputs' frames: each surface draws its own scene through the GL 1.1
// layer on the program's one OpenGL ES 3 context (egl/), on the surface's
// frame callbacks, stepped by the shared step clock (pacing/) and seeded by
// the test clock's rule (sim/frame_seed.h).
#pragma once

struct WaylandProgram;

// Draws on every output whose frame callback came and whose step is due; an
// output whose step is not due yet asks for the next callback. Ends the
// program once every output has drawn --frames.
void DrawDueFrames(WaylandProgram& program);
