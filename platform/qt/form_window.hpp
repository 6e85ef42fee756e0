#pragma once

#include <QWidget>

namespace lupe::qt {

class QtBackend;

// The top-level window: reports what the window system does to it, and the
// mouse over its own surface, the part of the client area no control covers.
class FormWindow final : public QWidget {
 public:
  explicit FormWindow(QtBackend& backend);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QtBackend& backend_;
};

}  // namespace lupe::qt
