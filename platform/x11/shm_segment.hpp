#pragma once

#include <cstddef>
#include <cstdint>

#include <xcb/shm.h>
#include <xcb/xcb.h>

namespace lupe::x11 {

// One SysV shared-memory segment that the X server writes images into.
// Marked for removal as soon as the server has attached it, so it goes away
// with the last of the two processes even if neither cleans up.
class ShmSegment {
 public:
  ShmSegment() = default;
  ShmSegment(const ShmSegment&) = delete;
  ShmSegment& operator=(const ShmSegment&) = delete;
  ShmSegment(ShmSegment&& other) noexcept { *this = static_cast<ShmSegment&&>(other); }
  ShmSegment& operator=(ShmSegment&& other) noexcept;
  ~ShmSegment();  // unmaps our side only; release() also tells the server

  // Makes a segment of at least `bytes` and has the server attach it (one
  // round trip). False when the kernel or the server refuses; nothing is
  // held then.
  bool create(xcb_connection_t* connection, size_t bytes);
  // Tells the server to let go (when the connection still works) and unmaps.
  void release(xcb_connection_t* connection);

  bool attached() const { return data_ != nullptr; }
  xcb_shm_seg_t id() const { return id_; }
  const uint8_t* data() const { return data_; }
  uint8_t* data() { return data_; }
  size_t size() const { return size_; }

 private:
  void unmap();

  xcb_shm_seg_t id_ = 0;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// Whether the server offers MIT-SHM on this connection (one round trip).
bool serverOffersShm(xcb_connection_t* connection);

}  // namespace lupe::x11
