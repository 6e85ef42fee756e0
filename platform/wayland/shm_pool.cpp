#include "platform/wayland/shm_pool.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <wayland-client.h>

namespace lupe::wayland {

std::unique_ptr<ShmPool> ShmPool::make(wl_shm* shm, size_t bytes) {
  auto made = std::make_unique<ShmPool>();
  made->fd = memfd_create("tevka-lupe-view", MFD_CLOEXEC);
  if (made->fd < 0 || ftruncate(made->fd, static_cast<off_t>(bytes)) != 0) return nullptr;
  void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, made->fd, 0);
  if (mapped == MAP_FAILED) return nullptr;
  made->pixels = mapped;
  made->bytes = bytes;
  made->pool = wl_shm_create_pool(shm, made->fd, static_cast<int32_t>(bytes));
  return made;
}

ShmPool::~ShmPool() {
  if (pool) wl_shm_pool_destroy(pool);
  if (pixels) munmap(pixels, bytes);
  if (fd >= 0) close(fd);
}

}  // namespace lupe::wayland
