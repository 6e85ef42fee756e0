#include "platform/raster/compositor.hpp"

#include <algorithm>
#include <cstdlib>

#include "platform/raster/stretch.hpp"

namespace lupe {
namespace {

bool dashOn(int64_t along) { return along % (kDashOn + kDashOff) < kDashOn; }

// The square a covered pixel widens to.
PixelRect widened(int32_t x, int32_t y, int32_t width) {
  const int32_t before = (width - 1) / 2;
  return {x - before, y - before, width, width};
}

// A level or upright line: one rectangle per dash, only where the frame is.
void drawStraight(RasterView frame, const LineLayer& line, int32_t width) {
  const bool upright = line.x1 == line.x2;
  const int64_t from = upright ? line.y1 : line.x1;
  const int64_t to = upright ? line.y2 : line.x2;
  const int64_t extent = upright ? frame.height : frame.width;
  const int32_t across = (upright ? line.x1 : line.y1) - (width - 1) / 2;
  const int64_t length = std::abs(to - from);
  // Pixel k along the line (k from 0 to length - 1) lies at from + k going
  // up, from - k going down; only those inside the frame are walked.
  const bool up = to >= from;
  const int64_t first = std::max<int64_t>(0, up ? -from : from - (extent - 1));
  const int64_t last = std::min<int64_t>(length, up ? extent - from : from + 1);
  if (first >= last) return;
  const int64_t period = line.dashed ? kDashOn + kDashOff : length;
  const int64_t on = line.dashed ? kDashOn : length;
  for (int64_t start = first - first % period; start < last; start += period) {
    const int64_t a = std::max(start, first), b = std::min(start + on, last);
    if (a >= b) continue;
    const auto at = static_cast<int32_t>(up ? from + a : from - (b - 1));
    const auto run = static_cast<int32_t>(b - a);
    frame.fill(upright ? PixelRect{across, at, width, run} : PixelRect{at, across, run, width},
               line.color);
  }
}

// A slanted line: Bresenham's walk from the start, the end left out.
void drawSlanted(RasterView frame, const LineLayer& line, int32_t width) {
  const int64_t dx = std::abs(int64_t{line.x2} - line.x1),
                dy = -std::abs(int64_t{line.y2} - line.y1);
  const int32_t sx = line.x1 < line.x2 ? 1 : -1, sy = line.y1 < line.y2 ? 1 : -1;
  int64_t error = dx + dy;
  int32_t x = line.x1, y = line.y1;
  for (int64_t along = 0; x != line.x2 || y != line.y2; ++along) {
    if (!line.dashed || dashOn(along)) frame.fill(widened(x, y, width), line.color);
    const int64_t twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
}

// Every pixel a layer may touch, before clipping.
PixelRect reach(const Layer& layer) {
  if (const auto* image = std::get_if<ImageLayer>(&layer))
    return {image->x, image->y, image->width, image->height};
  const auto& line = std::get<LineLayer>(layer);
  const int64_t width = std::clamp(line.width, 1, 8192), before = (width - 1) / 2;
  const int64_t left = std::min(line.x1, line.x2) - before, top = std::min(line.y1, line.y2) - before;
  const int64_t right = int64_t{std::max(line.x1, line.x2)} - before + width;
  const int64_t bottom = int64_t{std::max(line.y1, line.y2)} - before + width;
  const auto clamp = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -(1 << 30), 1 << 30)); };
  return {clamp(left), clamp(top), clamp(right - left), clamp(bottom - top)};
}

}  // namespace

void drawLine(RasterView frame, const LineLayer& line) {
  const int32_t width = std::clamp(line.width, 1, 8192);
  if (line.x1 == line.x2 || line.y1 == line.y2) {
    drawStraight(frame, line, width);
  } else {
    drawSlanted(frame, line, width);
  }
}

void drawImage(RasterView frame, const ImageLayer& image) {
  const Picture* picture = image.picture;
  if (!picture || picture->width <= 0 || picture->height <= 0 || image.width <= 0 ||
      image.height <= 0)
    return;
  const PixelRect visible = intersection({image.x, image.y, image.width, image.height},
                                         {0, 0, frame.width, frame.height});
  if (visible.empty()) return;
  const StretchMap column(picture->width, image.width), row(picture->height, image.height);
  for (int32_t y = visible.y; y < visible.y + visible.height; ++y) {
    const uint32_t* in = picture->argb.data() + size_t(row(y - image.y)) * picture->width;
    Pixel* out = frame.row(y);
    for (int32_t x = visible.x; x < visible.x + visible.width; ++x) {
      const uint32_t argb = in[column(x - image.x)];
      if (argb >> 24) out[x] = argb | 0xff000000u;
    }
  }
}

void drawLayer(RasterView frame, const Layer& layer) {
  if (const auto* line = std::get_if<LineLayer>(&layer)) drawLine(frame, *line);
  if (const auto* image = std::get_if<ImageLayer>(&layer)) drawImage(frame, *image);
}

void composeFrame(ConstRasterView picture, Pixel background, std::span<const Layer> layers,
                  RasterView frame) {
  const int32_t w = std::min(picture.width, frame.width),
                h = std::min(picture.height, frame.height);
  copyPixels(picture, frame);
  frame.fill({w, 0, frame.width - w, h}, background);
  frame.fill({0, h, frame.width, frame.height - h}, background);
  for (const Layer& layer : layers) drawLayer(frame, layer);
}

void InPlaceOverlay::lay(RasterView picture, std::span<const Layer> layers) {
  kept_.clear();
  areas_.clear();
  beneath_.clear();
  for (const Layer& layer : layers) {
    const PixelRect area = intersection(reach(layer), {0, 0, picture.width, picture.height});
    if (area.empty()) continue;
    kept_.push_back({area, beneath_.size()});
    areas_.push_back(area);
    for (int32_t y = area.y; y < area.y + area.height; ++y) {
      const Pixel* row = picture.row(y) + area.x;
      beneath_.insert(beneath_.end(), row, row + area.width);
    }
    drawLayer(picture, layer);
  }
}

void InPlaceOverlay::lift(RasterView picture) {
  // The latest first: each kept what the ones before it had drawn.
  for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
    const Pixel* from = beneath_.data() + it->offset;
    for (int32_t y = it->area.y; y < it->area.y + it->area.height; ++y, from += it->area.width)
      std::copy_n(from, it->area.width, picture.row(y) + it->area.x);
  }
  kept_.clear();
}

}  // namespace lupe
