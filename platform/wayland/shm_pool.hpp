#pragma once

#include <cstddef>
#include <memory>

struct wl_shm;
struct wl_shm_pool;

namespace lupe::wayland {

// Memory of ours that the compositor maps too (a memfd), as a wl_shm pool
// that buffers are cut from.
struct ShmPool {
  int fd = -1;
  size_t bytes = 0;
  void* pixels = nullptr;
  wl_shm_pool* pool = nullptr;

  // Null where the memory cannot be had.
  static std::unique_ptr<ShmPool> make(wl_shm* shm, size_t bytes);
  ~ShmPool();
};

}  // namespace lupe::wayland
