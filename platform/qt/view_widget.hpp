#pragma once

#include <memory>
#include <vector>

#include <QWidget>

#include "platform/controls/controls.hpp"
#include "platform/controls/view_presenter.hpp"
#include "platform/qt/frame_outputs.hpp"
#include "platform/qt/painted_output.hpp"
#include "platform/qt/placed_view.hpp"

namespace lupe::qt {

class QtBackend;

// The view: shows its picture box (the surface with its lines and images
// laid over it) 1:1 in native pixels, only ever a finished frame, so
// nothing flickers.
//
// A ViewPresenter shows it. Where the window system lets it, the view is a
// native window of its own that shows the surface's memory itself, with no
// copy and no painting by Qt (paintEngine() is null), or that memory is
// shown on a surface of its own laid over the window (PlacedView). Otherwise
// Qt paints what changed of the frame from our memory (PaintedOutput).
class ViewWidget final : public QWidget {
 public:
  ViewWidget(PictureBox& picture, QWidget* parent, QtBackend& backend);

  // Shows the picture straight from memory that `outputs` makes for the
  // view's native window, if it makes one.
  void showThrough(const FrameOutputs& outputs);
  // Shows the picture straight from memory on surfaces of its own over the
  // window, around the widgets `over` it, if `outputs` makes them; false
  // where it does not.
  bool showOnSurface(const PlacedOutputs& outputs, const std::vector<QWidget*>& over);
  // The surface or what lies on it changed: composed anew with the next paint.
  void changed();
  // An event has cleared or drawn the surface: shown at once where the view
  // shows it itself, without a round through Qt's painting.
  void redrawn();

  QPaintEngine* paintEngine() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  PixelSize nativeSize() const;

  PictureBox& picture_;
  QtBackend& backend_;
  SystemColors systemColors_;  // made once: composing a frame allocates nothing
  std::unique_ptr<PaintedOutput> painted_;  // until a native output shows the view
  std::unique_ptr<FrameOutput> output_;     // the native one
  std::unique_ptr<PlacedView> placed_;      // or the one on a surface of its own
  bool presentPosted_ = false;
  std::unique_ptr<ViewPresenter> presenter_;
};

}  // namespace lupe::qt
