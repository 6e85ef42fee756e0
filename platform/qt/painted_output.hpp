#pragma once

#include <QPainter>
#include <QWidget>

#include "platform/raster/raster.hpp"
#include "platform/raster/surface.hpp"

namespace lupe::qt {

// Shows a view's frames through Qt's painting, where the window system
// cannot show our memory itself (Wayland; X11 without a matching visual).
// The frame lives in memory of ours; a changed area is asked of Qt as a
// repaint of just that area, which draws it from that memory: one copy, into
// Qt's backing store, and none for what did not change.
class PaintedOutput final : public FrameOutput {
 public:
  explicit PaintedOutput(QWidget& widget) : widget_(widget) {}

  RasterView provide(int32_t width, int32_t height) override;
  // Within a paint event these draw at once; outside, they ask for one.
  void show(const PixelRect& area) override;
  void fill(const PixelRect& area, Pixel color) override;

  // The widget's paint event: shows and fills draw with `painter`, which
  // draws in native pixels.
  void beginPaint(QPainter& painter) { painter_ = &painter; }
  void endPaint() { painter_ = nullptr; }

 private:
  void askRepaint(const PixelRect& area);

  QWidget& widget_;
  Raster memory_;
  QPainter* painter_ = nullptr;
};

}  // namespace lupe::qt
