#pragma once

// Where a process's resident memory lies, from /proc/PID/smaps: in the
// graphics driver, PipeWire's buffer pool, the compositor's pictures, the
// window's own buffers, the heap and other anonymous memory, Qt, or other files.
#include <array>
#include <istream>
#include <set>
#include <string>
#include <string_view>

namespace lupe::bench {

enum class MemoryGroup { Graphics, PipewirePool, Pictures, WindowBuffers, Anon, Qt, Other };
inline constexpr int kMemoryGroups = 7;

// As the report names it: "graphics", "pipewire_pool", ...
const char* memoryGroupName(MemoryGroup group);

// The group of a mapping by its name in smaps: a path, "[heap]",
// "/memfd:wayland-shm (deleted)", or nothing for anonymous memory.
MemoryGroup memoryGroupOf(std::string_view mapping);

struct ResidentMemory {
  std::array<long, kMemoryGroups> kb{};     // resident kB by group
  std::set<std::string> graphicsLibraries;  // file names of the graphics driver's mapped files
};

ResidentMemory residentMemory(std::istream& smaps);

}  // namespace lupe::bench
