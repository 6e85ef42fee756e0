#include "platform/qt/view_widget.hpp"

#include <cmath>
#include <utility>

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "platform/qt/qt_backend.hpp"
#include "platform/qt/qt_convert.hpp"

namespace lupe::qt {

ViewWidget::ViewWidget(PictureBox& picture, QWidget* parent, QtBackend& backend)
    : QWidget(parent),
      picture_(picture),
      backend_(backend),
      systemColors_(systemColors(*this)),
      painted_(std::make_unique<PaintedOutput>(*this)),
      presenter_(std::make_unique<ViewPresenter>(picture_, *painted_, systemColors_)) {
  // Every pixel is painted from the surface: no background fill first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::StrongFocus);
}

void ViewWidget::showThrough(const FrameOutputs& outputs) {
  setAttribute(Qt::WA_NativeWindow);
  std::unique_ptr<FrameOutput> output = outputs(static_cast<uint64_t>(winId()));
  if (!output) return;
  presenter_.reset();
  picture_.surface().useMemory(nullptr);
  painted_.reset();
  output_ = std::move(output);
  // Qt leaves the window to us: no backing store, no painter.
  setAttribute(Qt::WA_PaintOnScreen);
  // The pointer goes through to the form's window, which hands it to the
  // view as to any other widget: the window manager's move, started from
  // the form's window, begins where the pointer was last seen there.
  windowHandle()->setFlag(Qt::WindowTransparentForInput);
  presenter_ = std::make_unique<ViewPresenter>(picture_, *output_, systemColors_);
  changed();
}

bool ViewWidget::showOnSurface(const PlacedOutputs& outputs, const std::vector<QWidget*>& over) {
  QWindow* handle = window()->windowHandle();
  std::unique_ptr<PlacedOutput> output = handle ? outputs(*handle) : nullptr;
  if (!output) return false;
  presenter_.reset();
  picture_.surface().useMemory(nullptr);
  // Qt paints what lies beyond the frame, and nothing of the frame itself.
  placed_ = std::make_unique<PlacedView>(*this, std::move(output), *painted_, over);
  presenter_ = std::make_unique<ViewPresenter>(picture_, *placed_, systemColors_);
  placed_->follow();
  changed();
  return true;
}

QPaintEngine* ViewWidget::paintEngine() const {
  return output_ ? nullptr : QWidget::paintEngine();
}

void ViewWidget::changed() {
  presenter_->changed();
  if (!placed_) return update();
  // On a surface of its own the view is composed anew without a round
  // through Qt's painting: Qt would repaint the window, and the compositor
  // record it, for nothing.
  if (std::exchange(presentPosted_, true)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        presentPosted_ = false;
        redrawn();
      },
      Qt::QueuedConnection);
}

void ViewWidget::redrawn() { presenter_->redrawn(isVisible(), nativeSize()); }

PixelSize ViewWidget::nativeSize() const {
  const qreal dpr = devicePixelRatioF();
  return {static_cast<int32_t>(std::ceil(width() * dpr)),
          static_cast<int32_t>(std::ceil(height() * dpr))};
}

void ViewWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  presenter_->changed();
}

void ViewWidget::paintEvent(QPaintEvent* event) {
  const qreal dpr = devicePixelRatioF();
  const QRect area = event->rect();
  const int x = static_cast<int>(std::floor(area.x() * dpr)),
            y = static_cast<int>(std::floor(area.y() * dpr));
  const PixelRect native{x, y, static_cast<int>(std::ceil((area.x() + area.width()) * dpr)) - x,
                         static_cast<int>(std::ceil((area.y() + area.height()) * dpr)) - y};
  if (!painted_) return presenter_->paint(native, nativeSize());
  // The frame is drawn in native pixels and lands 1:1 on a scaled screen too.
  QPainter painter(this);
  painter.scale(1.0 / dpr, 1.0 / dpr);
  painted_->beginPaint(painter);
  presenter_->paint(native, nativeSize());
  painted_->endPaint();
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
  // The view's scale unit is the pixel.
  const QPoint at = nativePosition(*event, *this);
  const int16_t button = buttonOf(event->button()), shift = shiftOf(event->modifiers());
  backend_.deliver([&] {
    picture_.MouseDown.raise(button, shift, static_cast<float>(at.x()), static_cast<float>(at.y()));
  });
}

// Qt reports the second press of a double-click only as this event, also
// when the first press started the window manager's move. As on Windows, a
// left double-click raises DblClick in place of a second MouseDown; other
// buttons know no double-click.
void ViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return mousePressEvent(event);
  backend_.deliver([&] { picture_.DblClick.raise(); });
}

}  // namespace lupe::qt
