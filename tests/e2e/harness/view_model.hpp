#pragma once

#include <utility>

#include "pixels.hpp"

namespace lupe::e2e {

// What the magnifier's view must show, worked out on its own from the
// window's outer size, the way the program defines its layout and its tick
// on a 96-dpi screen (15 twips a pixel):
//   view size   = outer size in twips / 12.1 (across) and / 12.8 (down),
//                 each quotient rounded to single precision;
//   crosshair   = view size / 2.01, again in single precision, drawn on the
//                 pixel nearest to it;
//   source size = the view's whole pixels times 1/zoom, rounded half to even;
//   source      = that size around the pointer, the pointer on column
//                 width / 2 (integer division) of it;
//   view pixel (dx, dy) shows the source pixel gdi32's StretchBlt picks:
//   column (dx * s + s / 2) >> 32 with s = (sw << 32) / dw, rows alike.
struct ViewModel {
  static constexpr int kTwipsPerPixel = 15;

  float widthF = 0;  // the view's width in pixels as the layout stores it
  float heightF = 0;
  int width = 0;  // the view's size in whole pixels, as the tick reads it
  int height = 0;
  int zoom = 0;
  int sourceWidth = 0;
  int sourceHeight = 0;
  int lineX = 0;  // the column of the vertical crosshair line
  int lineY = 0;  // the row of the horizontal one

  static ViewModel forOuterSize(int outerWidthPx, int outerHeightPx, int zoom = 3);

  // The screen rectangle the view shows with the pointer at (x, y).
  Rect source(int pointerX, int pointerY) const;
  // The screen pixel that view pixel (dx, dy) shows from `source`.
  std::pair<int, int> screenPixel(const Rect& source, int dx, int dy) const;
};

}  // namespace lupe::e2e
