#pragma once

#include <QWidget>

namespace lupe::qt {

class QtBackend;

// The top-level window: reports what the window system does to it.
class FormWindow final : public QWidget {
 public:
  explicit FormWindow(QtBackend& backend);

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QtBackend& backend_;
};

}  // namespace lupe::qt
