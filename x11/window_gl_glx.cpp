// The system's OpenGL 1.1 through GLX: what `ombrel-glx` draws with.
#include <GL/glx.h>

#include "x11/window_gl.h"

const GlChoice WindowGl::kDrawsWith = GlChoice::kGlx;
const char* const WindowGl::kFallbackProgram = nullptr;

struct WindowGl::State {
  Display* XDisplay = nullptr;
  Window XWindow = 0;
  GLXContext Context = nullptr;
  bool DoubleBuffered = false;
};

WindowGl::WindowGl() : state_(std::make_unique<State>()) {}

WindowGl::~WindowGl() { Close(); }

bool WindowGl::Open(Display* display, std::string& error) {
  state_->XDisplay = display;
  // Without the extension every GLX call fails, with messages about visuals
  // that would hide the cause.
  int opcode = 0, firstEvent = 0, firstError = 0;
  if (!XQueryExtension(display, "GLX", &opcode, &firstEvent, &firstError)) {
    error = std::string("the X server of display '") + DisplayString(display) +
            "' has no GLX extension, which OpenGL needs";
    return false;
  }
  return true;
}

bool WindowGl::ChooseOwnVisual(XVisualInfo& visual, std::string& error) {
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1,
                      GLX_BLUE_SIZE, 1, GLX_DEPTH_SIZE, 16, None};
  XVisualInfo* chosen = glXChooseVisual(state_->XDisplay, DefaultScreen(state_->XDisplay), attributes);
  if (chosen == nullptr) {
    error = "the display has no double-buffered RGBA visual for OpenGL";
    return false;
  }
  visual = *chosen;
  XFree(chosen);
  return true;
}

bool WindowGl::Start(Window window, const XVisualInfo& visual, int, int, std::string& error) {
  Display* display = state_->XDisplay;
  XVisualInfo info = visual;
  int useGl = 0, rgba = 0, doubleBuffer = 0;
  if (glXGetConfig(display, &info, GLX_USE_GL, &useGl) != 0 || !useGl ||
      glXGetConfig(display, &info, GLX_RGBA, &rgba) != 0 || !rgba) {
    error = "the visual of window " + WindowName(window) + " does not support RGBA OpenGL";
    return false;
  }
  glXGetConfig(display, &info, GLX_DOUBLEBUFFER, &doubleBuffer);
  state_->DoubleBuffered = doubleBuffer != 0;
  state_->XWindow = window;
  state_->Context = glXCreateContext(display, &info, nullptr, True);
  if (state_->Context == nullptr || !glXMakeCurrent(display, window, state_->Context)) {
    error = "cannot make an OpenGL context current on window " + WindowName(window);
    return false;
  }
  return true;
}

std::string WindowGl::Description() const { return "OpenGL through GLX"; }

// GLX's drawable follows the window's size by itself.
bool WindowGl::Resize(int, int, std::string&) { return true; }

void WindowGl::ShowFrame() {
  if (state_->DoubleBuffered) glXSwapBuffers(state_->XDisplay, state_->XWindow);
  else glFlush();
}

void WindowGl::Finish() { glFinish(); }

void WindowGl::Close() {
  if (state_->XDisplay == nullptr) return;
  if (state_->Context != nullptr) {
    glXMakeCurrent(state_->XDisplay, None, nullptr);
    glXDestroyContext(state_->XDisplay, state_->Context);
  }
  *state_ = State{};
}
