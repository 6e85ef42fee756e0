#include "bench/smaps_breakdown.hpp"

#include <sstream>

namespace lupe::bench {

namespace {

std::string_view fileName(std::string_view path) { return path.substr(path.rfind('/') + 1); }

bool isGraphicsDriver(std::string_view file) {
  return file.starts_with("libLLVM") || file.ends_with("_dri.so") ||
         file.starts_with("libEGL_mesa") || file.starts_with("libgallium") ||
         file.starts_with("libglapi");
}

}  // namespace

const char* memoryGroupName(MemoryGroup group) {
  static constexpr const char* kNames[kMemoryGroups] = {
      "graphics", "pipewire_pool", "pictures", "window_buffers", "anon", "qt", "other"};
  return kNames[static_cast<int>(group)];
}

MemoryGroup memoryGroupOf(std::string_view mapping) {
  // Shared anonymous memory shows as a deleted /dev/zero.
  if (mapping.empty() || mapping.starts_with("[") || mapping.starts_with("/dev/zero"))
    return MemoryGroup::Anon;
  if (mapping.starts_with("/memfd:pipewire-memfd")) return MemoryGroup::PipewirePool;
  // Qt's and libwayland's shared memory for the compositor: the window's
  // pictures and the cursor's.
  if (mapping.starts_with("/memfd:wayland-") || mapping.starts_with("/dev/shm/") ||
      mapping.starts_with("/SYSV"))
    return MemoryGroup::WindowBuffers;
  // Any other shared memory came from elsewhere: the screen cast's pictures.
  if (mapping.starts_with("/memfd:")) return MemoryGroup::Pictures;
  if (isGraphicsDriver(fileName(mapping))) return MemoryGroup::Graphics;
  if (fileName(mapping).starts_with("libQt") || mapping.find("/qt6/plugins/") != mapping.npos)
    return MemoryGroup::Qt;
  return MemoryGroup::Other;
}

ResidentMemory residentMemory(std::istream& smaps) {
  ResidentMemory memory;
  MemoryGroup group = MemoryGroup::Other;
  for (std::string line; std::getline(smaps, line);) {
    std::istringstream words(line);
    std::string first;
    if (!(words >> first)) continue;
    if (first.back() != ':') {
      // A mapping's head: range, permissions, offset, device, inode, name.
      std::string skipped, name;
      for (int i = 0; i < 4; ++i) words >> skipped;
      std::getline(words >> std::ws, name);
      group = memoryGroupOf(name);
      if (group == MemoryGroup::Graphics) memory.graphicsLibraries.emplace(fileName(name));
    } else if (first == "Rss:") {
      long kb = 0;
      words >> kb;
      memory.kb[static_cast<int>(group)] += kb;
    }
  }
  return memory;
}

}  // namespace lupe::bench
