#include "platform/wayland/buffer_mapping.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <utility>

namespace lupe::wayland {

std::unique_ptr<BufferMapping> BufferMapping::of(const spa_data& data) {
  if (data.type != SPA_DATA_MemFd || data.fd < 0) return nullptr;
  const long page = ::sysconf(_SC_PAGESIZE);
  const off_t aligned = static_cast<off_t>(data.mapoffset) & ~static_cast<off_t>(page - 1);
  const size_t skip = data.mapoffset - static_cast<size_t>(aligned);
  void* start = ::mmap(nullptr, data.maxsize + skip, PROT_READ, MAP_SHARED,
                       static_cast<int>(data.fd), aligned);
  if (start == MAP_FAILED) return nullptr;
  return std::unique_ptr<BufferMapping>(new BufferMapping(
      start, data.maxsize + skip, static_cast<const uint8_t*>(start) + skip));
}

BufferMapping::BufferMapping(BufferMapping&& other) noexcept { *this = std::move(other); }

BufferMapping& BufferMapping::operator=(BufferMapping&& other) noexcept {
  if (this == &other) return *this;
  if (start_) ::munmap(start_, length_);
  start_ = std::exchange(other.start_, nullptr);
  length_ = std::exchange(other.length_, 0);
  bytes_ = std::exchange(other.bytes_, nullptr);
  return *this;
}

BufferMapping::~BufferMapping() {
  if (start_) ::munmap(start_, length_);
}

void BufferMapping::attachTo(pw_buffer& buffer) {
  if (buffer.buffer->n_datas > 0) buffer.user_data = of(buffer.buffer->datas[0]).release();
}

void BufferMapping::detachFrom(pw_buffer& buffer) {
  std::unique_ptr<BufferMapping>(
      static_cast<BufferMapping*>(std::exchange(buffer.user_data, nullptr)));
}

const uint8_t* bytesOf(const pw_buffer& buffer) {
  if (const auto* mapping = static_cast<const BufferMapping*>(buffer.user_data))
    return mapping->bytes();
  return static_cast<const uint8_t*>(buffer.buffer->datas[0].data);
}

}  // namespace lupe::wayland
