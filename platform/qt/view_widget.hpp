#pragma once

#include <QWidget>

#include "platform/controls/controls.hpp"
#include "platform/controls/view_composer.hpp"

namespace lupe::qt {

class QtBackend;

// The view: shows the frame the composer makes of its picture box (the
// surface with its lines and images over it) 1:1 in native pixels. It only
// ever shows a finished frame, so nothing flickers.
class ViewWidget final : public QWidget {
 public:
  ViewWidget(PictureBox& picture, QWidget* parent, QtBackend& backend);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  PictureBox& picture_;
  QtBackend& backend_;
  ViewComposer composer_;
  SystemColors systemColors_;  // made once: composing a frame allocates nothing
};

}  // namespace lupe::qt
