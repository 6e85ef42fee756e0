#pragma once

#include <pipewire/pipewire.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace lupe::wayland {

// A buffer's memory, mapped by us rather than by PipeWire, which would map
// every buffer whole and keep all of them resident: we touch only the rows a
// tick reads, of the one buffer we hold. Unmapped when it goes; moved, never
// copied, so that one mapping is unmapped once.
class BufferMapping {
 public:
  // A mapping of `data` when it is a memfd; nullptr for other memory.
  static std::unique_ptr<BufferMapping> of(const spa_data& data);
  BufferMapping(BufferMapping&& other) noexcept;
  BufferMapping& operator=(BufferMapping&& other) noexcept;
  BufferMapping(const BufferMapping&) = delete;
  BufferMapping& operator=(const BufferMapping&) = delete;
  ~BufferMapping();

  const uint8_t* bytes() const { return bytes_; }

  // The mapping a buffer keeps in its user_data while PipeWire holds it.
  static void attachTo(pw_buffer& buffer);
  static void detachFrom(pw_buffer& buffer);

 private:
  BufferMapping(void* start, size_t length, const uint8_t* bytes)
      : start_(start), length_(length), bytes_(bytes) {}

  void* start_ = nullptr;
  size_t length_ = 0;
  const uint8_t* bytes_ = nullptr;  // the data, past the page alignment
};

// The bytes of a buffer's picture: our mapping, or the memory of a MemPtr buffer.
const uint8_t* bytesOf(const pw_buffer& buffer);

}  // namespace lupe::wayland
