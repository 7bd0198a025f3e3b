// XGetGeometry with defined answers for a drawable that is gone.
//
// Mesa's software rasteriser asks XGetGeometry for the window's size before
// every frame and uses the width and height without looking at the result.
// When the window's owner destroys it (XScreenSaver ending a preview, a test
// closing its window) between the program's look at its events and that
// call, the call fails and leaves its outputs unset, and the rasteriser
// allocates and draws with whatever they held, which crashes now and then.
//
// This definition is exported from the program (see CMakeLists.txt), so it
// stands in front of libX11's for every library loaded into the program: it
// calls libX11's and, when that fails, answers a 1 x 1 drawable. The frame in
// flight is then drawn into a tiny buffer, its copy to the window fails like
// any request on a destroyed window, and the program ends quietly as it does
// for every destruction of its window.
#include <X11/Xlib.h>
#include <dlfcn.h>

extern "C" Status XGetGeometry(Display* display, Drawable drawable, Window* root, int* x, int* y,
                               unsigned* width, unsigned* height, unsigned* border, unsigned* depth) {
  using Real = Status (*)(Display*, Drawable, Window*, int*, int*, unsigned*, unsigned*, unsigned*, unsigned*);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "XGetGeometry"));
  const Status status = real(display, drawable, root, x, y, width, height, border, depth);
  if (status == 0) {
    *root = None;
    *x = *y = 0;
    *width = *height = 1;
    *border = *depth = 0;
  }
  return status;
}
