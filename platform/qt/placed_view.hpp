#pragma once

#include <memory>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include "platform/qt/painted_output.hpp"
#include "platform/raster/placed_output.hpp"

namespace lupe::qt {

// A view shown on surfaces of its own over its window (PlacedOutput): they
// follow the view wherever Qt lays it out, clipped by the window and cut
// around the controls over the view, which Qt paints, as it paints what the
// frame does not reach.
class PlacedView final : public QObject, public FrameOutput {
 public:
  // `over`: the widgets that lie over the view, in its window.
  PlacedView(QWidget& view, std::unique_ptr<PlacedOutput> output, PaintedOutput& beyond,
             const std::vector<QWidget*>& over);
  ~PlacedView() override;

  RasterView provide(int32_t width, int32_t height) override;
  void awaitWritable() override { output_->awaitWritable(); }
  void show(const PixelRect& area) override { output_->show(area); }
  void fill(const PixelRect& area, Pixel color) override { beyond_.fill(area, color); }

  // Tells the output where the view lies now.
  void follow();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ViewPlacement placement() const;

  QWidget& view_;
  std::unique_ptr<PlacedOutput> output_;
  PaintedOutput& beyond_;
  QPointer<QWidget> window_;
  QPointer<QWindow> handle_;
  std::vector<QPointer<QWidget>> over_;
};

}  // namespace lupe::qt
