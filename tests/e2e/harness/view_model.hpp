#pragma once

#include <optional>
#include <utility>

#include "pixels.hpp"

namespace lupe::e2e {

// What the magnifier's view must show, worked out on its own from the
// window's outer size, the way the program defines its layout and its tick
// (twipsPerPixel(): 15 on a 96-dpi screen):
//   view size   = outer size in twips / 12.1 (across) and / 12.8 (down),
//                 each quotient rounded to single precision;
//   crosshair   = view size / 2.01, again in single precision, drawn on the
//                 pixel nearest to it;
//   source size = the view's whole pixels times 1/zoom, rounded half to even;
//   source      = that size around the pointer, the pointer on column
//                 width / 2 (integer division) of it;
//   view pixel (dx, dy) shows the source pixel gdi32's StretchBlt picks:
//   column (dx * s + s / 2) >> 32 with s = (sw << 32) / dw, rows alike.
// What marks the crosshair point: the two lines as the style buttons set
// them (dashes 18 on, 6 off from each line's start; a width of 3 centred on
// the point), and the arrow picture stretched to 98 x 100 with its top-left
// corner on the point, above the lines.
struct Marker {
  Rgb colour = kGreen;
  int width = 1;
  bool dashed = false;
  bool lines = true;
  bool arrow = false;
};

struct ViewModel {
  float widthF = 0;  // the view's width in pixels as the layout stores it
  float heightF = 0;
  int width = 0;  // the view's size in whole pixels, as the tick reads it
  int height = 0;
  int zoom = 0;
  int sourceWidth = 0;
  int sourceHeight = 0;
  int lineX = 0;  // the column of the vertical crosshair line
  int lineY = 0;  // the row of the horizontal one
  Marker marker;

  static ViewModel forOuterSize(int outerWidthPx, int outerHeightPx, int zoom = 3);

  // The screen rectangle the view shows with the pointer at (x, y).
  Rect source(int pointerX, int pointerY) const;
  // The screen pixel that view pixel (dx, dy) shows from `source`.
  std::pair<int, int> screenPixel(const Rect& source, int dx, int dy) const;
  // The marker's colour at view pixel (dx, dy); nullopt where it lets the
  // picture show.
  std::optional<Rgb> markerPixel(int dx, int dy) const;
};

}  // namespace lupe::e2e
