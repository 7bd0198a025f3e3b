// The page's drawing context: WebGL 2 on the canvas, made current, with the
// GL 1.1 layer set up on it, so that render/ draws into the canvas.
#pragma once

#include <string>

// Returns false with `error` set to a message for the visitor when the
// browser offers no WebGL 2 or the layer cannot start on it.
bool CreatePageGlContext(const char* canvasSelector, std::string& error);

// Sets the GL 1.1 layer up again on the canvas's context after the browser
// lost and restored it (the context's objects are gone; the layer forgets
// its own without deleting them). False with `error` set as above.
bool RestorePageGlContext(std::string& error);
