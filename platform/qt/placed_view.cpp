#include "platform/qt/placed_view.hpp"

#include <cmath>

#include <QEvent>
#include <QRegion>

namespace lupe::qt {

PlacedView::PlacedView(QWidget& view, std::unique_ptr<PlacedOutput> output,
                       PaintedOutput& beyond, const std::vector<QWidget*>& over)
    : view_(view), output_(std::move(output)), beyond_(beyond), window_(view.window()),
      handle_(view.window()->windowHandle()), over_(over.begin(), over.end()) {
  // The view, its window and the native window: each may move, resize,
  // show, hide or get a new surface without the others hearing of it.
  view_.installEventFilter(this);
  window_->installEventFilter(this);
  if (handle_) handle_->installEventFilter(this);
  // And the widgets over it, which it shows around.
  for (QWidget* widget : over) widget->installEventFilter(this);
}

PlacedView::~PlacedView() {
  view_.removeEventFilter(this);
  if (window_) window_->removeEventFilter(this);
  if (handle_) handle_->removeEventFilter(this);
  for (const QPointer<QWidget>& widget : over_)
    if (widget) widget->removeEventFilter(this);
}

RasterView PlacedView::provide(int32_t width, int32_t height) {
  // The new memory is shown where the view lies now.
  follow();
  return output_->provide(width, height);
}

ViewPlacement PlacedView::placement() const {
  QWidget* window = view_.window();
  const QPoint at = view_.mapTo(window, QPoint(0, 0));
  // Clipped by every widget it lies in, up to the window, and cut around
  // the widgets over it.
  QRegion shows(QRect(at, view_.size()));
  for (const QWidget* outer = view_.parentWidget(); outer;
       outer = outer->isWindow() ? nullptr : outer->parentWidget())
    shows &= QRect(outer->mapTo(window, QPoint(0, 0)), outer->size());
  for (const QPointer<QWidget>& widget : over_)
    if (widget && widget->isVisible())
      shows -= QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
  // The window's surface begins with the frame Qt draws on it, if it does.
  const QMargins frame = window->windowHandle() ? window->windowHandle()->frameMargins()
                                                : QMargins();
  const auto scale = static_cast<int32_t>(std::lround(view_.devicePixelRatioF()));
  ViewPlacement placed;
  placed.x = at.x() + frame.left();
  placed.y = at.y() + frame.top();
  placed.scale = scale;
  if (view_.isVisible())
    for (const QRect& tile : shows.translated(-at))
      placed.tiles.push_back(
          {tile.x() * scale, tile.y() * scale, tile.width() * scale, tile.height() * scale});
  return placed;
}

void PlacedView::follow() { output_->place(placement()); }

bool PlacedView::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Expose:
    case QEvent::WindowStateChange:
    case QEvent::PlatformSurface:
      follow();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace lupe::qt
