#pragma once

#include <QImage>
#include <QWidget>

#include "platform/controls/controls.hpp"

namespace lupe::qt {

// The view: shows its picture box's surface 1:1 in native pixels, with the
// lines and the image of the picture box painted over it in their stacking
// order. It only ever shows a finished surface, so nothing flickers.
class ViewWidget final : public QWidget {
 public:
  ViewWidget(PictureBox& picture, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void paintImage(QPainter& painter, const Image& image);

  PictureBox& picture_;
  // The marker's picture converted once, not on every paint.
  const Picture* converted_ = nullptr;
  QImage convertedImage_;
};

}  // namespace lupe::qt
