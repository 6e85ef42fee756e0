#include "platform/qt/painted_output.hpp"

#include <cmath>

#include <QImage>

namespace lupe::qt {

RasterView PaintedOutput::provide(int32_t width, int32_t height) {
  memory_.reshape(width, height);
  return memory_.view();
}

void PaintedOutput::askRepaint(const PixelRect& area) {
  // The area in the widget's own units, grown to whole ones.
  const qreal dpr = widget_.devicePixelRatioF();
  const int left = static_cast<int>(std::floor(area.x / dpr)),
            top = static_cast<int>(std::floor(area.y / dpr));
  widget_.update(left, top, static_cast<int>(std::ceil((area.x + area.width) / dpr)) - left,
                 static_cast<int>(std::ceil((area.y + area.height) / dpr)) - top);
}

void PaintedOutput::show(const PixelRect& area) {
  if (area.empty()) return;
  if (!painter_) return askRepaint(area);
  const ConstRasterView frame = memory_.view();
  const QImage image(reinterpret_cast<const uchar*>(frame.pixels), frame.width, frame.height,
                     static_cast<qsizetype>(frame.stride * sizeof(Pixel)), QImage::Format_RGB32);
  painter_->drawImage(QPoint(area.x, area.y), image,
                      QRect(area.x, area.y, area.width, area.height));
}

void PaintedOutput::fill(const PixelRect& area, Pixel color) {
  if (area.empty()) return;
  if (!painter_) return askRepaint(area);
  painter_->fillRect(area.x, area.y, area.width, area.height, QColor::fromRgb(color));
}

}  // namespace lupe::qt
