// The system's OpenGL 1.1 through GLX: the one path of `ombrel-glx`, which
// `ombrel` hands over to where neither of its own can serve the window.
#include <GL/glx.h>

#include "x11/window_gl.h"

namespace {

ScaledFramebuffer::Proc LoadGlx(const char* name) {
  return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
}

class GlxWindowGl : public WindowGl {
 public:
  ~GlxWindowGl() override { Close(); }

  bool Open(Display* display, std::string& error) override {
    display_ = display;
    // Without the extension every GLX call fails, with messages about
    // visuals that would hide the cause.
    int opcode = 0, firstEvent = 0, firstError = 0;
    if (!XQueryExtension(display, "GLX", &opcode, &firstEvent, &firstError)) {
      error = std::string("the X server of display '") + DisplayString(display) +
              "' has no GLX extension, which OpenGL needs";
      return false;
    }
    return true;
  }

  bool ChooseOwnVisual(XVisualInfo& visual, std::string& error) override {
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1,
                        GLX_BLUE_SIZE, 1, GLX_DEPTH_SIZE, 16, None};
    XVisualInfo* chosen = glXChooseVisual(display_, DefaultScreen(display_), attributes);
    if (chosen == nullptr) {
      error = "the display has no double-buffered RGBA visual for OpenGL";
      return false;
    }
    visual = *chosen;
    XFree(chosen);
    return true;
  }

  bool Start(Window window, const XVisualInfo& visual, std::string& error) override {
    XVisualInfo info = visual;
    int useGl = 0, rgba = 0, doubleBuffer = 0;
    if (glXGetConfig(display_, &info, GLX_USE_GL, &useGl) != 0 || !useGl ||
        glXGetConfig(display_, &info, GLX_RGBA, &rgba) != 0 || !rgba) {
      error = "the visual of window " + WindowName(window) + " does not support RGBA OpenGL";
      return false;
    }
    glXGetConfig(display_, &info, GLX_DOUBLEBUFFER, &doubleBuffer);
    doubleBuffered_ = doubleBuffer != 0;
    window_ = window;
    context_ = glXCreateContext(display_, &info, nullptr, True);
    if (context_ == nullptr || !glXMakeCurrent(display_, window, context_)) {
      error = "cannot make an OpenGL context current on window " + WindowName(window);
      return false;
    }
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    renderer_ = renderer != nullptr && *renderer != 0 ? renderer : "an unnamed renderer";
    if (!glXIsDirect(display_, context_)) renderer_ += " (indirect: drawn by the X server)";
    return true;
  }

  std::string Description() const override {
    return "OpenGL 1.1 through GLX on " + renderer_ +
           (doubleBuffered_ ? ", frames shown by glXSwapBuffers" : ", drawn into a single-buffered window");
  }

  ScaledFramebuffer::ProcLoader Loader() const override { return LoadGlx; }

  void ShowFrame() override {
    if (doubleBuffered_) glXSwapBuffers(display_, window_);
    else glFlush();
  }

  void Finish() override { glFinish(); }

  void Close() override {
    if (display_ == nullptr) return;
    if (context_ != nullptr) {
      glXMakeCurrent(display_, None, nullptr);
      glXDestroyContext(display_, context_);
    }
    display_ = nullptr;
    context_ = nullptr;
  }

 private:
  Display* display_ = nullptr;
  Window window_ = 0;
  GLXContext context_ = nullptr;
  bool doubleBuffered_ = false;
  std::string renderer_;
};

}  // namespace

std::unique_ptr<WindowGl> MakeGlxWindowGl() { return std::make_unique<GlxWindowGl>(); }
