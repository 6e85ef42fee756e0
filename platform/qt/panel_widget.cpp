#include "platform/qt/panel_widget.hpp"

#include <cmath>

#include <QImage>
#include <QPainter>

#include "platform/qt/qt_convert.hpp"

namespace lupe::qt {

PanelWidget::PanelWidget(const Frame& frame, QWidget* parent) : QGroupBox(parent), frame_(frame) {
  setAutoFillBackground(true);  // the open panel covers the view
}

void PanelWidget::paintEvent(QPaintEvent* event) {
  QGroupBox::paintEvent(event);
  // Composed in native pixels, so that the lines land 1:1 on a scaled screen.
  const qreal dpr = devicePixelRatioF();
  const ConstRasterView lines =
      composer_.composeLayers(frame_, static_cast<int32_t>(std::ceil(width() * dpr)),
                              static_cast<int32_t>(std::ceil(height() * dpr)), systemColors(*this));
  const QImage image(reinterpret_cast<const uchar*>(lines.pixels), lines.width, lines.height,
                     static_cast<qsizetype>(lines.stride * sizeof(Pixel)), QImage::Format_ARGB32);
  QPainter painter(this);
  painter.scale(1.0 / dpr, 1.0 / dpr);
  painter.drawImage(0, 0, image);
}

}  // namespace lupe::qt
