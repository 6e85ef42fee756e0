#include "platform/wayland/stream_buffers.hpp"

#include <spa/buffer/meta.h>

namespace lupe::wayland {

std::optional<PictureLayout> pictureIn(const spa_buffer& buffer, const spa_rectangle& size) {
  if (buffer.n_datas < 1 || !buffer.datas[0].chunk || size.width == 0 || size.height == 0)
    return std::nullopt;
  const spa_data& data = buffer.datas[0];
  const spa_chunk& chunk = *data.chunk;
  if (chunk.size == 0 || (chunk.flags & SPA_CHUNK_FLAG_CORRUPTED)) return std::nullopt;
  const int64_t rowBytes = int64_t{size.width} * 4;
  const int64_t stride = chunk.stride > 0 ? chunk.stride : rowBytes;
  if (stride < rowBytes) return std::nullopt;
  if (int64_t{chunk.offset} + stride * (size.height - 1) + rowBytes > int64_t{data.maxsize})
    return std::nullopt;
  return PictureLayout{chunk.offset, static_cast<int32_t>(stride)};
}

std::optional<PointApi> pointerIn(const spa_buffer& buffer) {
  auto* cursor = static_cast<const spa_meta_cursor*>(spa_buffer_find_meta_data(
      &buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)));
  if (!cursor || !spa_meta_cursor_is_valid(cursor)) return std::nullopt;
  return PointApi{cursor->position.x, cursor->position.y};
}

std::optional<std::vector<PixelRect>> damageIn(const spa_buffer& buffer, const PixelRect& monitor) {
  spa_meta* meta = spa_buffer_find_meta(&buffer, SPA_META_VideoDamage);
  if (!meta) return std::nullopt;
  std::vector<PixelRect> damage;
  bool wholeMonitor = false;
  spa_meta_region* region;
  spa_meta_for_each(region, meta) {
    if (!spa_meta_region_is_valid(region)) break;
    const PixelRect said{monitor.x + region->region.position.x,
                         monitor.y + region->region.position.y,
                         static_cast<int32_t>(region->region.size.width),
                         static_cast<int32_t>(region->region.size.height)};
    const PixelRect part = intersection(monitor, said);
    wholeMonitor = wholeMonitor || part == monitor;
    if (!part.empty()) damage.push_back(part);
  }
  if (damage.empty() || wholeMonitor) return std::nullopt;
  return damage;
}

}  // namespace lupe::wayland
