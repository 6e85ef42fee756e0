#include "platform/qt/form_window.hpp"

#include <QCloseEvent>

#include "platform/qt/qt_backend.hpp"

namespace lupe::qt {

FormWindow::FormWindow(QtBackend& backend) : QWidget(nullptr), backend_(backend) {}

void FormWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  backend_.windowResized();  // the first showing lays the window out
}

void FormWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  backend_.windowResized();
}

void FormWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  // The window manager's frame arrives with a move: the outer size changes
  // although the client area keeps its size.
  backend_.windowMoved();
}

void FormWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) backend_.windowResized();
}

void FormWindow::closeEvent(QCloseEvent* event) {
  if (backend_.windowClosing()) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace lupe::qt
