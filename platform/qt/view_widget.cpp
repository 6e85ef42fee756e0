#include "platform/qt/view_widget.hpp"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>

#include "platform/qt/line_painter.hpp"
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

ViewWidget::ViewWidget(PictureBox& picture, QWidget* parent) : QWidget(parent), picture_(picture) {
  // Every pixel is painted from the surface: no background fill first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::StrongFocus);
}

void ViewWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const qreal dpr = devicePixelRatioF();
  Surface& surface = picture_.surface();
  // Draw in native pixels so the picture lands 1:1 on a scaled screen too.
  painter.scale(1.0 / dpr, 1.0 / dpr);
  const int nativeWidth = static_cast<int>(std::ceil(width() * dpr));
  const int nativeHeight = static_cast<int>(std::ceil(height() * dpr));
  const QColor background = toQColor(picture_.BackColor, palette());
  // Only what the surface does not cover needs the background colour.
  if (surface.width() < nativeWidth)
    painter.fillRect(QRect(surface.width(), 0, nativeWidth - surface.width(), nativeHeight),
                     background);
  if (surface.height() < nativeHeight)
    painter.fillRect(QRect(0, surface.height(), nativeWidth, nativeHeight - surface.height()),
                     background);
  if (surface.width() > 0 && surface.height() > 0) {
    const QImage image(reinterpret_cast<const uchar*>(surface.pixels().pixels), surface.width(),
                       surface.height(), surface.width() * static_cast<int>(sizeof(Pixel)),
                       QImage::Format_RGB32);
    painter.drawImage(0, 0, image);
  }
  // Later children lie below earlier ones: paint them from the last to the first.
  const auto& children = picture_.children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!(*it)->Visible) continue;
    if ((*it)->kind() == ControlKind::Line)
      paintLine(painter, static_cast<const Line&>(**it), palette());
    if ((*it)->kind() == ControlKind::Image) paintImage(painter, static_cast<const Image&>(**it));
  }
}

void ViewWidget::paintImage(QPainter& painter, const Image& image) {
  if (!image.Picture) return;
  if (converted_ != image.Picture) {
    convertedImage_ = toQImage(*image.Picture);
    converted_ = image.Picture;
  }
  const QImage& picture = convertedImage_;
  const int x = devicePixel(image.Left), y = devicePixel(image.Top);
  if (image.Stretch) {
    painter.drawImage(QRect(x, y, devicePixel(image.Width), devicePixel(image.Height)), picture);
  } else {
    painter.drawImage(x, y, picture);
  }
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
  const qreal dpr = devicePixelRatioF();
  picture_.MouseDown.raise(buttonOf(event->button()), shiftOf(event->modifiers()),
                           static_cast<float>(event->position().x() * dpr),
                           static_cast<float>(event->position().y() * dpr));
}

void ViewWidget::mouseDoubleClickEvent(QMouseEvent*) { picture_.DblClick.raise(); }

}  // namespace lupe::qt
