#include "platform/qt/view_widget.hpp"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>

#include "platform/qt/qt_convert.hpp"

namespace lupe::qt {
namespace {

int16_t buttonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

int16_t shiftOf(Qt::KeyboardModifiers modifiers) {
  return static_cast<int16_t>((modifiers & Qt::ShiftModifier ? 1 : 0) |
                              (modifiers & Qt::ControlModifier ? 2 : 0) |
                              (modifiers & Qt::AltModifier ? 4 : 0));
}

}  // namespace

ViewWidget::ViewWidget(PictureBox& picture, QWidget* parent)
    : QWidget(parent), picture_(picture), systemColors_(systemColors(*this)) {
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
  const qreal dpr = devicePixelRatioF();
  picture_.MouseDown.raise(buttonOf(event->button()), shiftOf(event->modifiers()),
                           static_cast<float>(event->position().x() * dpr),
                           static_cast<float>(event->position().y() * dpr));
}

void ViewWidget::mouseDoubleClickEvent(QMouseEvent*) { picture_.DblClick.raise(); }

}  // namespace lupe::qt
