#include "wayland/blank_buffer.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

wl_buffer* MakeBlankBuffer(wl_shm* shm) {
  constexpr int kBytes = 4;  // one ARGB pixel
  const int fd = memfd_create("ombrel-blank", MFD_CLOEXEC);
  // A file's new bytes read as zero: a pixel with alpha 0.
  if (fd < 0 || ftruncate(fd, kBytes) != 0) {
    if (fd >= 0) close(fd);
    return nullptr;
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, kBytes);
  wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, 1, 1, kBytes, WL_SHM_FORMAT_ARGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  return buffer;
}
