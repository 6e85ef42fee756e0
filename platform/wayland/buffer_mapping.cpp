#include "platform/wayland/buffer_mapping.hpp"

#include <sys/mman.h>
#include <unistd.h>

namespace lupe::wayland {

Mapping* Mapping::of(const spa_data& data) {
  if (data.type != SPA_DATA_MemFd || data.fd < 0) return nullptr;
  const long page = ::sysconf(_SC_PAGESIZE);
  const off_t aligned = static_cast<off_t>(data.mapoffset) & ~static_cast<off_t>(page - 1);
  const size_t skip = data.mapoffset - static_cast<size_t>(aligned);
  void* start = ::mmap(nullptr, data.maxsize + skip, PROT_READ, MAP_SHARED,
                       static_cast<int>(data.fd), aligned);
  if (start == MAP_FAILED) return nullptr;
  return new Mapping{start, data.maxsize + skip, static_cast<const uint8_t*>(start) + skip};
}

Mapping::~Mapping() { ::munmap(start, length); }

const uint8_t* bytesOf(const pw_buffer& buffer) {
  if (const auto* mapping = static_cast<const Mapping*>(buffer.user_data)) return mapping->bytes;
  return static_cast<const uint8_t*>(buffer.buffer->datas[0].data);
}

}  // namespace lupe::wayland
