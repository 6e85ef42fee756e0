#include "platform/qt/line_painter.hpp"

#include <algorithm>

#include "platform/qt/qt_convert.hpp"

namespace lupe::qt {
namespace {

// The dash pattern of a dashed line, in pixels: long dash, short gap.
constexpr int kDashOn = 18;
constexpr int kDashOff = 6;

}  // namespace

void paintLine(QPainter& painter, const Line& line, const QPalette& palette) {
  const QColor color = toQColor(line.BorderColor, palette);
  const int width = std::max<int>(1, line.BorderWidth);
  const bool dashed = line.BorderStyle == 2;
  const int x1 = devicePixel(line.X1), y1 = devicePixel(line.Y1);
  const int x2 = devicePixel(line.X2), y2 = devicePixel(line.Y2);
  if (x1 != x2 && y1 != y2) {
    painter.setPen(QPen(color, width, dashed ? Qt::DashLine : Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(x1, y1, x2, y2);
    return;
  }
  const bool vertical = x1 == x2;
  const int from = vertical ? std::min(y1, y2) : std::min(x1, x2);
  const int to = vertical ? std::max(y1, y2) : std::max(x1, x2);
  const int across = (vertical ? x1 : y1) - (width - 1) / 2;
  const int period = dashed ? kDashOn + kDashOff : std::max(1, to - from);
  for (int start = from; start < to; start += period) {
    const int length = std::min(dashed ? kDashOn : to - from, to - start);
    painter.fillRect(
        vertical ? QRect(across, start, width, length) : QRect(start, across, length, width),
        color);
  }
}

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
  QPainter painter(this);
  const qreal dpr = devicePixelRatioF();
  painter.scale(1.0 / dpr, 1.0 / dpr);
  // Paint in the container's native coordinates.
  painter.translate(-geometry().x() * dpr, -geometry().y() * dpr);
  paintLine(painter, line_, palette());
}

}  // namespace lupe::qt
