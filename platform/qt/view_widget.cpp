#include "platform/qt/view_widget.hpp"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>

#include "platform/qt/qt_backend.hpp"
#include "platform/qt/qt_convert.hpp"

namespace lupe::qt {

ViewWidget::ViewWidget(PictureBox& picture, QWidget* parent, QtBackend& backend)
    : QWidget(parent), picture_(picture), backend_(backend), systemColors_(systemColors(*this)) {
  // Every pixel is painted from the surface: no background fill first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::StrongFocus);
}

void ViewWidget::paintEvent(QPaintEvent*) {
  const qreal dpr = devicePixelRatioF();
  // The frame is composed in native pixels and lands 1:1 on a scaled screen too.
  const ConstRasterView frame =
      composer_.compose(picture_, static_cast<int32_t>(std::ceil(width() * dpr)),
                        static_cast<int32_t>(std::ceil(height() * dpr)), systemColors_);
  if (frame.width <= 0 || frame.height <= 0) return;
  const QImage image(reinterpret_cast<const uchar*>(frame.pixels), frame.width, frame.height,
                     static_cast<qsizetype>(frame.stride * sizeof(Pixel)), QImage::Format_RGB32);
  QPainter painter(this);
  painter.scale(1.0 / dpr, 1.0 / dpr);
  painter.drawImage(0, 0, image);
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
