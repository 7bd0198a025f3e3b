// The X11 program's render scale (--scale): the renderer draws into a
// framebuffer object of the scaled size, and each frame is copied onto the
// window's own framebuffer by glBlitFramebuffer, filtered linearly, just
// before the path shows it. The window keeps its size; the scene's
// projection and the frame-rate text take the framebuffer's.
//
// OpenGL ES 3.0 has framebuffer objects and the blit, and so has OpenGL 3.0
// (or GL_ARB_framebuffer_object), which Mesa's GLX gives ombrel-glx on every
// driver that renders directly. An older OpenGL (GLX's indirect contexts
// offer 1.4) has neither: there the frames are drawn at the window's size.
//
// The entry points are looked up through the path's context
// (glXGetProcAddressARB, eglGetProcAddress), never linked by name: the GL
// 1.1 layer defines only the entry points the renderer calls, and `ombrel`
// links no OpenGL library beside it.
#pragma once

#include <string>

class ScaledFramebuffer {
 public:
  using Proc = void (*)();
  using ProcLoader = Proc (*)(const char* name);

  // With `scale` below 1, on the path's current context: makes the
  // framebuffer object and binds it, so that the renderer draws into it.
  // False, with `why` set, where the context has no framebuffer objects
  // with a blit; the frames then go to the window unscaled. A scale of 1
  // makes nothing, at no cost.
  bool Start(ProcLoader load, double scale, std::string& why);

  // The window's new size: the framebuffer takes the scaled size
  // (ScaledPixels).
  void Resize(int windowWidth, int windowHeight);

  // The size the renderer draws at: the framebuffer's, or the window's
  // where nothing is scaled.
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Scaling() const { return framebuffer_ != 0; }

  // Copies the frame drawn onto the window's framebuffer, scaled up to the
  // window's size, and binds the framebuffer object again for the next
  // frame. Nothing where nothing is scaled.
  void Blit();

  // The framebuffer object goes with the context: nothing to delete.

 private:
  using GenProc = void (*)(int, unsigned*);
  using BindProc = void (*)(unsigned, unsigned);
  using StorageProc = void (*)(unsigned, unsigned, int, int);
  using AttachProc = void (*)(unsigned, unsigned, unsigned, unsigned);
  using StatusProc = unsigned (*)(unsigned);
  using BlitProc = void (*)(int, int, int, int, int, int, int, int, unsigned, unsigned);
  using DeleteProc = void (*)(int, const unsigned*);

  double scale_ = 1;
  int windowWidth_ = 0, windowHeight_ = 0;
  int width_ = 0, height_ = 0;
  unsigned framebuffer_ = 0, colour_ = 0;
  GenProc genFramebuffers_ = nullptr, genRenderbuffers_ = nullptr;
  BindProc bindFramebuffer_ = nullptr, bindRenderbuffer_ = nullptr;
  StorageProc renderbufferStorage_ = nullptr;
  AttachProc framebufferRenderbuffer_ = nullptr;
  StatusProc checkFramebufferStatus_ = nullptr;
  BlitProc blitFramebuffer_ = nullptr;
  DeleteProc deleteFramebuffers_ = nullptr, deleteRenderbuffers_ = nullptr;
};
