// A buffer of one transparent pixel. A layer surface takes the keyboard only
// once it is mapped, that is once it has a buffer; the saver maps its
// surfaces with this one first, so that where a lock holds the keyboard, the
// saver has shown nothing when it learns so (wayland/keyboard_hold.h).
#pragma once

struct wl_buffer;
struct wl_shm;

// One shared-memory buffer of 1 x 1 pixel, ARGB, fully transparent; null when
// the memory cannot be made. It is never written, so any number of surfaces
// may show it at once.
wl_buffer* MakeBlankBuffer(wl_shm* shm);
