#pragma once

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

#include "platform/raster/picture.hpp"
#include "platform/raster/raster.hpp"

// The pixel rules of what lies over a view: lines and pictures, the same on
// every platform, so that every build shows the same pixels.
namespace lupe {

// The pattern of a dashed line, in pixels along the line from its start.
inline constexpr int32_t kDashOn = 18;
inline constexpr int32_t kDashOff = 6;

// A line from (x1, y1) towards (x2, y2) in the frame's pixels. It covers the
// pixels from its start up to, not including, its end (a line of length 0
// covers nothing). A level or upright line is `width` pixels across, centred
// on it (for an even width, the extra pixel lies right and below), and no
// longer than that; a slanted line widens each pixel of its walk to a
// width x width square centred on it. A dashed line is on for kDashOn pixels
// and off for kDashOff, from its start.
struct LineLayer {
  int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  Pixel color = kBlack;
  int32_t width = 1;
  bool dashed = false;
  bool operator==(const LineLayer&) const = default;
};

// A picture shown over the rectangle (x, y, width, height): stretched by the
// same nearest-neighbour rule as StretchBlt (StretchMap), not smoothed;
// where its mask makes it transparent (alpha 0) what lies below stays.
struct ImageLayer {
  const Picture* picture = nullptr;
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool operator==(const ImageLayer&) const = default;
};

using Layer = std::variant<LineLayer, ImageLayer>;

// Each draws into `frame`; anything outside it is clipped.
void drawLine(RasterView frame, const LineLayer& line);
void drawImage(RasterView frame, const ImageLayer& image);
void drawLayer(RasterView frame, const Layer& layer);

// The frame a view shows: `picture` 1:1 from the top-left corner, the rest
// of the frame in `background`, then `layers` from the lowest to the topmost.
void composeFrame(ConstRasterView picture, Pixel background, std::span<const Layer> layers,
                  RasterView frame);

// Layers drawn straight into a picture and taken off again: the picture
// itself becomes the frame a view shows, with no copy of it, and gets its
// own pixels back before anything draws into it again. What lies beneath
// each layer's bounding rectangle is kept; keeping its buffers, a steady
// overlay allocates nothing.
class InPlaceOverlay {
 public:
  // Lays `layers` from the lowest to the topmost over `picture`, which must
  // not carry an earlier overlay.
  void lay(RasterView picture, std::span<const Layer> layers);
  // Puts back what lay beneath the layers; nothing when none are laid.
  void lift(RasterView picture);
  // Forgets what lay beneath: the picture is about to be drawn over whole.
  void drop() { kept_.clear(); }
  // The rectangle each laid layer covers.
  std::span<const PixelRect> areas() const { return areas_; }

 private:
  struct Kept {
    PixelRect area;
    size_t offset;  // of its pixels in beneath_
  };
  std::vector<Kept> kept_;
  std::vector<PixelRect> areas_;  // of kept_, and kept when dropped
  std::vector<Pixel> beneath_;
};

}  // namespace lupe
