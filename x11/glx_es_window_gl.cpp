// The GL 1.1 layer on an OpenGL ES 3.0 context made through GLX's ES profile
// (GLX_EXT_create_context_es2_profile or _es_profile): the first path of
// `ombrel`.
//
// The context takes the window's own visual, so every window that GLX can
// draw into is served, XScreenSaver's 32-bit visual with alpha included, and
// frames are shown by glXSwapBuffers, as a GLX hack's are: with a GPU the
// driver presents the buffer without a copy, with Mesa's software renderer
// the frame is drawn into memory shared with the X server. The layer's
// OpenGL ES entry points come from glXGetProcAddressARB, so the program
// links only libGLX, which defines no gl* function of its own to meet the
// layer's.
//
// Where GLX lacks the extension, or cannot make an ES context (an indirect
// context, as on a display that GLX does not render to directly), the path
// cannot serve the window and the next one is tried.
#include <GL/glx.h>
#include <GL/glxext.h>

#include <cstdio>

#include "gl11/gl11.h"
#include "x11/extension_list.h"
#include "x11/window_gl.h"
#include "x11/x_error_trap.h"

namespace {

Gl11Proc LoadGlx(const char* name) { return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)); }

int ConfigAttribute(Display* display, GLXFBConfig config, int attribute) {
  int value = 0;
  glXGetFBConfigAttrib(display, config, attribute, &value);
  return value;
}

class GlxEsWindowGl : public WindowGl {
 public:
  ~GlxEsWindowGl() override { Close(); }

  bool Open(Display* display, std::string& error) override {
    display_ = display;
    screen_ = DefaultScreen(display);
    // Without the extension every GLX call fails, with messages about
    // visuals that would hide the cause.
    int opcode = 0, firstEvent = 0, firstError = 0;
    if (!XQueryExtension(display, "GLX", &opcode, &firstEvent, &firstError)) {
      error = std::string("the X server of display '") + DisplayString(display) + "' has no GLX extension";
      return false;
    }
    const char* extensions = glXQueryExtensionsString(display, screen_);
    createContext_ = reinterpret_cast<PFNGLXCREATECONTEXTATTRIBSARBPROC>(
        LoadGlx("glXCreateContextAttribsARB"));
    // Either extension lets GLX_CONTEXT_ES2_PROFILE_BIT_EXT ask for OpenGL ES 3.
    const bool esProfile = extensions != nullptr && NamesExtension(extensions, "GLX_ARB_create_context") &&
                           (NamesExtension(extensions, "GLX_EXT_create_context_es2_profile") ||
                            NamesExtension(extensions, "GLX_EXT_create_context_es_profile"));
    if (!esProfile || createContext_ == nullptr) {
      error = std::string("GLX on display '") + DisplayString(display) + "' offers no OpenGL ES profile";
      return false;
    }
    return true;
  }

  bool ChooseOwnVisual(XVisualInfo& visual, std::string& error) override {
    const int attributes[] = {GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_RENDER_TYPE,
                              GLX_RGBA_BIT, GLX_X_VISUAL_TYPE, GLX_TRUE_COLOR, GLX_DOUBLEBUFFER, True,
                              GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display_, screen_, attributes, &count);
    // 8 bits a colour, as the headless renderer's, in a visual of the
    // screen's depth: without alpha, which a compositor would blend with.
    // The renderer never tests depth, but clears the depth buffer with
    // every frame, which a software renderer pays for pixel by pixel: the
    // smallest depth and stencil buffers are preferred, none best.
    XVisualInfo* chosen = nullptr;
    int chosenBits = 0;
    for (int i = 0; i < count; ++i) {
      if (ConfigAttribute(display_, configs[i], GLX_RED_SIZE) != 8 ||
          ConfigAttribute(display_, configs[i], GLX_GREEN_SIZE) != 8 ||
          ConfigAttribute(display_, configs[i], GLX_BLUE_SIZE) != 8)
        continue;
      const int bits = ConfigAttribute(display_, configs[i], GLX_DEPTH_SIZE) +
                       ConfigAttribute(display_, configs[i], GLX_STENCIL_SIZE);
      if (chosen != nullptr && bits >= chosenBits) continue;
      XVisualInfo* visual = glXGetVisualFromFBConfig(display_, configs[i]);
      if (visual == nullptr) continue;
      if (visual->depth != DefaultDepth(display_, screen_)) {
        XFree(visual);
        continue;
      }
      if (chosen != nullptr) XFree(chosen);
      chosen = visual;
      chosenBits = bits;
    }
    if (configs != nullptr) XFree(configs);
    if (chosen == nullptr) {
      error = "GLX has no double-buffered 8-bit RGB visual at the screen's depth";
      return false;
    }
    visual = *chosen;
    XFree(chosen);
    return true;
  }

  bool Start(Window window, const XVisualInfo& visual, std::string& error) override {
    window_ = window;
    char described[96];
    std::snprintf(described, sizeof described, " (window %s, visual 0x%lx of depth %d)", WindowName(window).c_str(),
                  static_cast<unsigned long>(visual.visualid), visual.depth);
    GLXFBConfig config = nullptr;
    if (!ConfigOf(visual, config)) {
      error = std::string("GLX has no RGBA configuration for the window's visual") + described;
      return false;
    }
    doubleBuffered_ = ConfigAttribute(display_, config, GLX_DOUBLEBUFFER) != 0;
    const int es3[] = {GLX_CONTEXT_MAJOR_VERSION_ARB, 3, GLX_CONTEXT_MINOR_VERSION_ARB, 0,
                       GLX_CONTEXT_PROFILE_MASK_ARB, GLX_CONTEXT_ES2_PROFILE_BIT_EXT, None};
    {
      // A server that cannot make the context answers with an error, which
      // is this path's to expect.
      XErrorTrap trap(display_);
      context_ = createContext_(display_, config, nullptr, True, es3);
      if (trap.Caught() && context_ != nullptr) {
        glXDestroyContext(display_, context_);
        context_ = nullptr;
      }
      if (context_ == nullptr) {
        error = std::string("GLX cannot make an OpenGL ES 3.0 context") + described;
        return false;
      }
      if (!glXMakeCurrent(display_, window, context_) || trap.Caught()) {
        error = "GLX cannot make an OpenGL ES 3.0 context current on window " + WindowName(window);
        return false;
      }
    }
    current_ = true;
    std::string layerError;
    if (!Gl11Init(LoadGlx, layerError)) {
      error = "the GL 1.1 layer cannot be set up on OpenGL ES 3 through GLX: " + layerError;
      return false;
    }
    using GetStringProc = const GLubyte* (*)(GLenum);
    const auto getString = reinterpret_cast<GetStringProc>(LoadGlx("glGetString"));
    const GLubyte* renderer = getString != nullptr ? getString(GL_RENDERER) : nullptr;
    renderer_ = renderer != nullptr && *renderer != 0 ? reinterpret_cast<const char*>(renderer) : "an unnamed renderer";
    return true;
  }

  std::string Description() const override {
    return "OpenGL ES 3 through GLX on " + renderer_ +
           (doubleBuffered_ ? ", frames shown by glXSwapBuffers" : ", drawn into a single-buffered window");
  }

  ScaledFramebuffer::ProcLoader Loader() const override { return LoadGlx; }

  void ShowFrame() override {
    if (doubleBuffered_) glXSwapBuffers(display_, window_);
    else glFlush();  // the layer's: its last batch is drawn, then OpenGL ES flushes
  }

  void Finish() override { glXWaitGL(); }

  void Close() override {
    if (display_ == nullptr) return;
    if (current_) {
      Gl11Shutdown();
      glXMakeCurrent(display_, None, nullptr);
    }
    if (context_ != nullptr) glXDestroyContext(display_, context_);
    display_ = nullptr;
    context_ = nullptr;
    current_ = false;
  }

 private:
  // The configuration of GLX that `visual` stands for, which a context must
  // have to draw into a window of that visual.
  bool ConfigOf(const XVisualInfo& visual, GLXFBConfig& config) {
    int count = 0;
    GLXFBConfig* configs = glXGetFBConfigs(display_, visual.screen, &count);
    for (int i = 0; i < count && config == nullptr; ++i)
      if (static_cast<VisualID>(ConfigAttribute(display_, configs[i], GLX_VISUAL_ID)) == visual.visualid &&
          (ConfigAttribute(display_, configs[i], GLX_RENDER_TYPE) & GLX_RGBA_BIT) != 0 &&
          (ConfigAttribute(display_, configs[i], GLX_DRAWABLE_TYPE) & GLX_WINDOW_BIT) != 0)
        config = configs[i];
    if (configs != nullptr) XFree(configs);
    return config != nullptr;
  }

  Display* display_ = nullptr;
  int screen_ = 0;
  Window window_ = 0;
  PFNGLXCREATECONTEXTATTRIBSARBPROC createContext_ = nullptr;
  GLXContext context_ = nullptr;
  bool current_ = false;
  bool doubleBuffered_ = false;
  std::string renderer_;
};

}  // namespace

std::unique_ptr<WindowGl> MakeGlxEsWindowGl() { return std::make_unique<GlxEsWindowGl>(); }
