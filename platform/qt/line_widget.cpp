#include "platform/qt/line_widget.hpp"

#include <algorithm>
#include <cmath>

#include <QImage>
#include <QPainter>

#include "platform/controls/view_composer.hpp"
#include "platform/qt/qt_convert.hpp"

namespace lupe::qt {

LineWidget::LineWidget(const Line& line, QWidget* parent) : QWidget(parent), line_(line) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  place();
}

void LineWidget::place() {
  const qreal dpr = devicePixelRatioF();
  const int half = std::max<int>(1, line_.BorderWidth);
  const int x1 = devicePixel(line_.X1), y1 = devicePixel(line_.Y1);
  const int x2 = devicePixel(line_.X2), y2 = devicePixel(line_.Y2);
  const int left = std::min(x1, x2) - half, top = std::min(y1, y2) - half;
  setGeometry(
      toLogical(left, top, std::abs(x2 - x1) + 2 * half, std::abs(y2 - y1) + 2 * half, dpr));
  update();
}

void LineWidget::paintEvent(QPaintEvent*) {
  auto layer = lineLayer(line_, systemColors(*this));
  if (!layer) return;
  const qreal dpr = devicePixelRatioF();
  // Draw in the container's native pixels, moved to this widget's corner.
  const int left = static_cast<int>(std::floor(geometry().x() * dpr));
  const int top = static_cast<int>(std::floor(geometry().y() * dpr));
  layer->x1 -= left, layer->x2 -= left, layer->y1 -= top, layer->y2 -= top;
  QImage image(static_cast<int>(std::ceil(width() * dpr)),
               static_cast<int>(std::ceil(height() * dpr)), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  drawLine({reinterpret_cast<Pixel*>(image.bits()), image.width(), image.height(),
            image.bytesPerLine() / static_cast<int>(sizeof(Pixel))},
           *layer);
  QPainter painter(this);
  painter.scale(1.0 / dpr, 1.0 / dpr);
  painter.drawImage(0, 0, image);
}

}  // namespace lupe::qt
