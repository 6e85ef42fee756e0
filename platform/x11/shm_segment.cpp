#include "platform/x11/shm_segment.hpp"

#include <sys/ipc.h>
#include <sys/shm.h>

#include "platform/x11/xcb_owned.hpp"

namespace lupe::x11 {

ShmSegment& ShmSegment::operator=(ShmSegment&& other) noexcept {
  if (this != &other) {
    unmap();
    id_ = other.id_;
    data_ = other.data_;
    size_ = other.size_;
    other.data_ = nullptr;
    other.size_ = 0;
    other.id_ = 0;
  }
  return *this;
}

ShmSegment::~ShmSegment() { unmap(); }

void ShmSegment::unmap() {
  if (data_ != nullptr) shmdt(data_);
  data_ = nullptr;
  size_ = 0;
  id_ = 0;
}

bool ShmSegment::create(xcb_connection_t* connection, size_t bytes) {
  unmap();
  const size_t page = 4096;
  bytes = (bytes + page - 1) / page * page;
  const int shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (shmid < 0) return false;
  void* address = shmat(shmid, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) {
    shmctl(shmid, IPC_RMID, nullptr);
    return false;
  }
  const uint32_t id = xcb_generate_id(connection);
  XcbOwned<xcb_generic_error_t> error;
  if (id != static_cast<uint32_t>(-1)) {
    // Not read-only: the server writes the images into it.
    error = own(xcb_request_check(
        connection, xcb_shm_attach_checked(connection, id, static_cast<uint32_t>(shmid), 0)));
  }
  // The server has attached by now (or never will): from here on the
  // kernel frees the segment when both sides have let go.
  shmctl(shmid, IPC_RMID, nullptr);
  const bool ok = id != static_cast<uint32_t>(-1) && !error &&
                  xcb_connection_has_error(connection) == 0;
  if (!ok) {
    shmdt(address);
    return false;
  }
  id_ = id;
  data_ = static_cast<uint8_t*>(address);
  size_ = bytes;
  return true;
}

void ShmSegment::release(xcb_connection_t* connection) {
  if (data_ == nullptr) return;
  if (xcb_connection_has_error(connection) == 0) xcb_shm_detach(connection, id_);
  unmap();
}

bool serverOffersShm(xcb_connection_t* connection) {
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
  if (extension == nullptr || !extension->present) return false;
  return own(xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr)) !=
         nullptr;
}

}  // namespace lupe::x11
