#include "platform/wayland/stream_placement.hpp"

#include <algorithm>
#include <cmath>

#include "platform/raster/changed_area.hpp"

namespace lupe::wayland {
namespace {

int32_t pixels(int32_t logical, double scale) {
  return static_cast<int32_t>(std::lround(logical * scale));
}

bool anyOverlap(const std::vector<PixelRect>& areas, const std::vector<bool>& unplaced) {
  for (size_t i = 0; i < areas.size(); ++i)
    for (size_t j = i + 1; j < areas.size(); ++j)
      if (!unplaced[i] && !unplaced[j] && !intersection(areas[i], areas[j]).empty()) return true;
  return false;
}

// The screen a stream shows: the one at its position, else the first one
// not yet taken whose pixels have the stream's size.
const SessionScreen* screenOf(const PortalStream& stream, const std::vector<SessionScreen>& screens,
                              std::vector<bool>& taken) {
  for (size_t i = 0; i < screens.size(); ++i) {
    const SessionScreen& screen = screens[i];
    const bool atPosition = stream.position && stream.position->x == screen.logical.x &&
                            stream.position->y == screen.logical.y;
    const bool ofSize = pixels(screen.logical.width, screen.scale) == stream.width &&
                        pixels(screen.logical.height, screen.scale) == stream.height;
    if (!taken[i] && (stream.position ? atPosition : ofSize)) {
      taken[i] = true;
      return &screen;
    }
  }
  return nullptr;
}

}  // namespace

std::vector<PixelRect> placeStreams(const std::vector<PortalStream>& streams,
                                    const std::vector<SessionScreen>& screens) {
  std::vector<PixelRect> placed;
  std::vector<bool> taken(screens.size(), false), unplaced;
  double largestScale = 1;
  for (const PortalStream& stream : streams) {
    const SessionScreen* screen = screenOf(stream, screens, taken);
    if (screen) largestScale = std::max(largestScale, screen->scale);
    std::optional<PointApi> at = stream.position;
    if (!at && screen) at = PointApi{screen->logical.x, screen->logical.y};
    unplaced.push_back(!at);
    placed.push_back({at ? at->x : 0, at ? at->y : 0, stream.width, stream.height});
  }
  if (anyOverlap(placed, unplaced))
    for (size_t i = 0; i < placed.size(); ++i)
      if (!unplaced[i])
        placed[i] = {pixels(placed[i].x, largestScale), pixels(placed[i].y, largestScale),
                     placed[i].width, placed[i].height};
  PixelRect bounds;
  for (size_t i = 0; i < placed.size(); ++i)
    if (!unplaced[i]) bounds = enclosing(bounds, placed[i]);
  for (size_t i = 0; i < placed.size(); ++i)
    if (unplaced[i]) {
      placed[i].x = bounds.empty() ? 0 : bounds.x + bounds.width;
      placed[i].y = bounds.empty() ? 0 : bounds.y;
      bounds = enclosing(bounds, placed[i]);
    }
  return placed;
}

}  // namespace lupe::wayland
