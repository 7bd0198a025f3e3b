// The GL 1.1 layer on an OpenGL ES 3.0 context made with EGL on the X
// display: what `ombrel` draws with. The context and its configuration come
// from egl/ (shared with the Wayland program); what is X11's here is the
// display, which configurations fit a window, and how frames reach it.
//
// Frames reach the window through shared memory (MIT-SHM), as they do from
// Mesa's GLX on a software renderer: the context draws into a pbuffer of the
// window's size, and each frame is read back into an XImage that the X server
// copies in place. Mesa's EGL sends a software-drawn window surface's frames
// through the connection instead, which costs the X server far more CPU than
// the drawing costs the program. This way also serves windows whose visual
// EGL names no configuration for, such as the 32-bit visual with alpha that
// XScreenSaver gives its GL hacks.
//
// Where the server shares no memory with the program (a display on another
// machine) or the window's pixels are not 32 bits of 8-bit red, green and
// blue, the frames go through an EGL window surface, with a configuration
// whose native visual has the window visual's class, depth and colour masks:
// the window's own visual, or one that stores pixels the same way (GLX lists
// copies of the default visual that EGL does not name itself). Where there is
// none, EGL cannot serve the window.
#include "x11/window_gl.h"

#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "egl/egl_window_context.h"

const GlChoice WindowGl::kDrawsWith = GlChoice::kEgl;
const char* const WindowGl::kFallbackProgram = "ombrel-glx";

namespace {

// Whether X visual `id` on `display` stores pixels as `wanted` does.
bool SameFormat(Display* display, int id, const XVisualInfo& wanted) {
  XVisualInfo pattern{};
  pattern.visualid = static_cast<VisualID>(id);
  pattern.screen = wanted.screen;
  int count = 0;
  XVisualInfo* found = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &pattern, &count);
  if (found == nullptr) return false;
  const bool same = found->c_class == wanted.c_class && found->depth == wanted.depth &&
                    found->red_mask == wanted.red_mask && found->green_mask == wanted.green_mask &&
                    found->blue_mask == wanted.blue_mask;
  XFree(found);
  return same;
}

bool AttachFailed = false;

int NoteAttachFailure(Display*, XErrorEvent*) {
  AttachFailed = true;
  return 0;
}

// OpenGL ES reads BGRA, the X server's byte order, where the driver has
// EXT_read_format_bgra (Mesa's has); the read is then a plain copy.
constexpr GLenum kBgraExt = 0x80E1;

using ReadPixelsProc = void (*)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);

// An XImage in memory shared with the X server, for frames read back from
// OpenGL ES, top row first, in the server's 32-bit BGRX.
class SharedImage {
 public:
  ~SharedImage() { Destroy(); }

  // Makes the image for `visual` at width x height. False, with nothing
  // made, when the server cannot attach the memory or the image's pixels
  // are not BGRX in 32 bits.
  bool Create(Display* display, const XVisualInfo& visual, int width, int height) {
    display_ = display;
    image_ = XShmCreateImage(display, visual.visual, static_cast<unsigned>(visual.depth), ZPixmap, nullptr,
                             &segment_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image_ == nullptr) return false;
    if (image_->bits_per_pixel != 32 || image_->byte_order != LSBFirst || visual.red_mask != 0xff0000 ||
        visual.green_mask != 0xff00 || visual.blue_mask != 0xff) {
      Destroy();
      return false;
    }
    segment_.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image_->bytes_per_line) * image_->height,
                            IPC_CREAT | 0600);
    if (segment_.shmid < 0) {
      Destroy();
      return false;
    }
    segment_.shmaddr = image_->data = static_cast<char*>(shmat(segment_.shmid, nullptr, 0));
    if (segment_.shmaddr == reinterpret_cast<char*>(-1)) {
      segment_.shmaddr = image_->data = nullptr;
      shmctl(segment_.shmid, IPC_RMID, nullptr);
      Destroy();
      return false;
    }
    segment_.readOnly = True;
    // A server that cannot reach the memory (on another machine) answers
    // with an error, which is the program's to expect here, not its handler's.
    XSync(display, False);
    AttachFailed = false;
    const XErrorHandler previous = XSetErrorHandler(NoteAttachFailure);
    const bool attached = XShmAttach(display, &segment_) && (XSync(display, False), !AttachFailed);
    XSetErrorHandler(previous);
    // Marked for removal once both sides hold it (or it is of no use), so
    // that the memory goes with the last of them to let it go, however the
    // program ends.
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    attached_ = attached;
    if (!attached) Destroy();
    return attached;
  }

  // Copies `bgra` (OpenGL's rows: bottom row first) into the image.
  void Fill(const std::vector<std::uint8_t>& bgra) {
    const int width = image_->width, height = image_->height;
    for (int y = 0; y < height; ++y)
      std::memcpy(image_->data + static_cast<size_t>(y) * image_->bytes_per_line,
                  bgra.data() + static_cast<size_t>(height - 1 - y) * width * 4, static_cast<size_t>(width) * 4);
  }

  // Puts the image into `window` and waits until the server has copied it,
  // so that the next frame may be written into the memory.
  void Put(Window window, GC gc) {
    XShmPutImage(display_, window, gc, image_, 0, 0, 0, 0, static_cast<unsigned>(image_->width),
                 static_cast<unsigned>(image_->height), False);
    XSync(display_, False);
  }

  void Destroy() {
    if (attached_) XShmDetach(display_, &segment_);
    if (segment_.shmaddr != nullptr) shmdt(segment_.shmaddr);
    if (image_ != nullptr) {
      image_->data = nullptr;
      XDestroyImage(image_);
    }
    image_ = nullptr;
    segment_ = XShmSegmentInfo{};
    attached_ = false;
  }

 private:
  Display* display_ = nullptr;
  XImage* image_ = nullptr;
  XShmSegmentInfo segment_{};
  bool attached_ = false;
};

}  // namespace

struct WindowGl::State {
  Display* XDisplay = nullptr;
  EglWindowContext Egl;  // its display opened by Open, its context made by Start
  Window XWindow = 0;
  XVisualInfo Visual{};
  void* Surface = nullptr;  // the window surface or the pbuffer
  // Shared-memory frames: the pbuffer's size, the image, the read-back
  // pixels and what puts them into the window.
  bool Shared = false;
  int Width = 0, Height = 0;
  SharedImage Image;
  std::vector<std::uint8_t> Pixels;
  ReadPixelsProc ReadPixels = nullptr;
  GC Gc = nullptr;
};

WindowGl::WindowGl() : state_(std::make_unique<State>()) {}

WindowGl::~WindowGl() { Close(); }

bool WindowGl::Open(Display* display, std::string& error) {
  state_->XDisplay = display;
  if (state_->Egl.Open(EGL_PLATFORM_X11_KHR, display, error)) return true;
  error = std::string("EGL cannot be initialised on display '") + DisplayString(display) + "'";
  return false;
}

bool WindowGl::ChooseOwnVisual(XVisualInfo& visual, std::string& error) {
  // The default depth in true colour: a window of the program's own needs no
  // colour map set up.
  Display* display = state_->XDisplay;
  if (!XMatchVisualInfo(display, DefaultScreen(display), DefaultDepth(display, DefaultScreen(display)),
                        TrueColor, &visual)) {
    error = "the display has no true-colour visual at its default depth";
    return false;
  }
  return true;
}

bool WindowGl::Start(Window window, const XVisualInfo& visual, int width, int height, std::string& error) {
  State& s = *state_;
  s.XWindow = window;
  s.Visual = visual;
  // Asked for its version without the extension, Xlib would print a line.
  int opcode = 0, firstEvent = 0, firstError = 0;
  s.Shared = XQueryExtension(s.XDisplay, "MIT-SHM", &opcode, &firstEvent, &firstError) &&
             s.Image.Create(s.XDisplay, visual, 1, 1);
  s.Image.Destroy();
  // Frames read back suit any configuration; a window surface needs one of
  // the window's own format.
  EglWindowContext::VisualFits fits;
  if (!s.Shared) fits = [&](int id) { return SameFormat(s.XDisplay, id, visual); };
  if (!s.Egl.Create(error, fits, s.Shared)) {
    char described[96];
    std::snprintf(described, sizeof described, " (window %s, visual 0x%lx of depth %d)", WindowName(window).c_str(),
                  static_cast<unsigned long>(visual.visualid), visual.depth);
    error += described;
    return false;
  }
  if (s.Shared) {
    s.ReadPixels = reinterpret_cast<ReadPixelsProc>(eglGetProcAddress("glReadPixels"));
    if (s.ReadPixels == nullptr) {
      error = "OpenGL ES has no glReadPixels";
      return false;
    }
    s.Gc = XCreateGC(s.XDisplay, window, 0, nullptr);
    return Resize(width, height, error);
  }
  s.Surface = s.Egl.CreateSurface(&window, error);
  if (s.Surface == nullptr) {
    error += " on window " + WindowName(window);
    return false;
  }
  return true;
}

std::string WindowGl::Description() const {
  return state_->Shared ? "OpenGL ES 3 through EGL, frames shown through shared memory"
                        : "OpenGL ES 3 through EGL on a window surface";
}

bool WindowGl::Resize(int width, int height, std::string& error) {
  State& s = *state_;
  if (!s.Shared) return true;  // a window surface follows the window by itself
  // A window of 0 x 0 is drawn as 1 x 1, as OpenGL's drawables are.
  s.Width = width > 0 ? width : 1;
  s.Height = height > 0 ? height : 1;
  s.Egl.DestroySurface(s.Surface);
  s.Image.Destroy();
  s.Surface = s.Egl.CreatePbuffer(s.Width, s.Height, error);
  if (s.Surface == nullptr) return false;
  if (!s.Image.Create(s.XDisplay, s.Visual, s.Width, s.Height)) {
    error = "cannot share a frame's memory with the X server at " + std::to_string(s.Width) + " x " +
            std::to_string(s.Height);
    return false;
  }
  s.Pixels.resize(static_cast<size_t>(s.Width) * s.Height * 4);
  return true;
}

void WindowGl::ShowFrame() {
  State& s = *state_;
  if (!s.Shared) {
    s.Egl.Swap(s.Surface);
    return;
  }
  glFlush();  // the layer's: its last batch is drawn
  s.ReadPixels(0, 0, s.Width, s.Height, kBgraExt, GL_UNSIGNED_BYTE, s.Pixels.data());
  s.Image.Fill(s.Pixels);
  s.Image.Put(s.XWindow, s.Gc);
}

void WindowGl::Finish() { eglWaitClient(); }

void WindowGl::Close() {
  State& s = *state_;
  if (s.XDisplay == nullptr) return;
  s.Image.Destroy();
  if (s.Gc != nullptr) XFreeGC(s.XDisplay, s.Gc);
  s.Egl.DestroySurface(s.Surface);
  // The context goes and the EGL display is terminated (with Egl) before the
  // X display closes.
  state_ = std::make_unique<State>();
}
