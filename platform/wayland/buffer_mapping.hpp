#pragma once

#include <pipewire/pipewire.h>

#include <cstddef>
#include <cstdint>

namespace lupe::wayland {

// A buffer's memory, mapped by us rather than by PipeWire, which would map
// every buffer whole and keep all of them resident: we touch only the rows a
// tick reads, of the one buffer we hold.
struct Mapping {
  void* start = nullptr;
  size_t length = 0;
  const uint8_t* bytes = nullptr;  // the data, past the page alignment

  // A mapping of `data` when it is a memfd; nullptr for other memory.
  static Mapping* of(const spa_data& data);
  ~Mapping();
};

// The bytes of a buffer's picture: our mapping (kept in its user_data), or
// the memory of a MemPtr buffer.
const uint8_t* bytesOf(const pw_buffer& buffer);

}  // namespace lupe::wayland
