#include "x11/scaled_framebuffer.h"

// The OpenGL ES 3.0 names and values, which OpenGL 3.0 shares; no
// prototypes, so that nothing here links an entry point by name.
#define GL_GLES_PROTOTYPES 0
#include <GLES3/gl3.h>

#include <cstdlib>
#include <cstring>

#include "options/render_scale.h"
#include "x11/extension_list.h"

namespace {

// Whether an OpenGL whose GL_VERSION is `version` ("OpenGL ES 3.0 Mesa
// 22.3.6", "4.5 (Compatibility Profile) Mesa 22.3.6", "1.4 (2.1 Mesa ...)")
// has framebuffer objects and glBlitFramebuffer in its core: OpenGL ES 3
// and OpenGL 3 on.
bool CoreHasBlit(const char* version) {
  constexpr const char* kEs = "OpenGL ES ";
  if (std::strncmp(version, kEs, std::strlen(kEs)) == 0) version += std::strlen(kEs);
  return std::atoi(version) >= 3;
}

}  // namespace

bool ScaledFramebuffer::Start(ProcLoader load, double scale, std::string& why) {
  scale_ = 1;
  if (scale >= 1) return true;
  const auto getString = reinterpret_cast<PFNGLGETSTRINGPROC>(load("glGetString"));
  const char* version = getString ? reinterpret_cast<const char*>(getString(GL_VERSION)) : nullptr;
  // GLX's indirect contexts may not say their version at all.
  if (version != nullptr && *version == '\0') version = nullptr;
  // GL_EXTENSIONS is asked only of an OpenGL before 3, which still answers it.
  const char* extensions =
      version && !CoreHasBlit(version) ? reinterpret_cast<const char*>(getString(GL_EXTENSIONS)) : nullptr;
  if (version == nullptr ||
      (!CoreHasBlit(version) && (extensions == nullptr || !NamesExtension(extensions, "GL_ARB_framebuffer_object")))) {
    why = std::string("OpenGL ") + (version ? version : "of an unknown version") +
          " has no framebuffer blit to scale frames with; drawing at the window's size";
    return false;
  }
  // GLX and EGL hand out a pointer for any name; the version said which exist.
  genFramebuffers_ = reinterpret_cast<GenProc>(load("glGenFramebuffers"));
  genRenderbuffers_ = reinterpret_cast<GenProc>(load("glGenRenderbuffers"));
  bindFramebuffer_ = reinterpret_cast<BindProc>(load("glBindFramebuffer"));
  bindRenderbuffer_ = reinterpret_cast<BindProc>(load("glBindRenderbuffer"));
  renderbufferStorage_ = reinterpret_cast<StorageProc>(load("glRenderbufferStorage"));
  framebufferRenderbuffer_ = reinterpret_cast<AttachProc>(load("glFramebufferRenderbuffer"));
  checkFramebufferStatus_ = reinterpret_cast<StatusProc>(load("glCheckFramebufferStatus"));
  blitFramebuffer_ = reinterpret_cast<BlitProc>(load("glBlitFramebuffer"));
  deleteFramebuffers_ = reinterpret_cast<DeleteProc>(load("glDeleteFramebuffers"));
  deleteRenderbuffers_ = reinterpret_cast<DeleteProc>(load("glDeleteRenderbuffers"));
  if (!genFramebuffers_ || !genRenderbuffers_ || !bindFramebuffer_ || !bindRenderbuffer_ || !renderbufferStorage_ ||
      !framebufferRenderbuffer_ || !checkFramebufferStatus_ || !blitFramebuffer_ || !deleteFramebuffers_ ||
      !deleteRenderbuffers_) {
    why = std::string("OpenGL ") + version + " lacks an entry point of framebuffer objects; drawing at the "
          "window's size";
    return false;
  }
  // Colour alone: the renderer clears the depth buffer but never tests it,
  // and blending reads only the incoming alpha, so the buffer keeps none
  // (the window gets opaque pixels, and Mesa's software renderer blits it a
  // tenth faster). 8 bits a channel, as the windows' and ombrel-frames'
  // buffers, so that a frame before scaling is ombrel-frames' frame at that
  // size.
  genRenderbuffers_(1, &colour_);
  genFramebuffers_(1, &framebuffer_);
  bindFramebuffer_(GL_FRAMEBUFFER, framebuffer_);
  bindRenderbuffer_(GL_RENDERBUFFER, colour_);
  renderbufferStorage_(GL_RENDERBUFFER, GL_RGB8, 1, 1);
  framebufferRenderbuffer_(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
  if (checkFramebufferStatus_(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    bindFramebuffer_(GL_FRAMEBUFFER, 0);
    deleteFramebuffers_(1, &framebuffer_);
    deleteRenderbuffers_(1, &colour_);
    framebuffer_ = colour_ = 0;
    why = std::string("OpenGL ") + version + " cannot draw into an 8-bit RGB framebuffer object; drawing at the "
          "window's size";
    return false;
  }
  scale_ = scale;
  return true;
}

void ScaledFramebuffer::Resize(int windowWidth, int windowHeight) {
  windowWidth_ = windowWidth;
  windowHeight_ = windowHeight;
  if (!Scaling()) {
    width_ = windowWidth;
    height_ = windowHeight;
    return;
  }
  const int width = ScaledPixels(windowWidth, scale_), height = ScaledPixels(windowHeight, scale_);
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  renderbufferStorage_(GL_RENDERBUFFER, GL_RGB8, width_, height_);
}

void ScaledFramebuffer::Blit() {
  if (!Scaling()) return;
  bindFramebuffer_(GL_DRAW_FRAMEBUFFER, 0);
  blitFramebuffer_(0, 0, width_, height_, 0, 0, windowWidth_, windowHeight_, GL_COLOR_BUFFER_BIT, GL_LINEAR);
  bindFramebuffer_(GL_DRAW_FRAMEBUFFER, framebuffer_);
}
