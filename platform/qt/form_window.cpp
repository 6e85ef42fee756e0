#include "platform/qt/form_window.hpp"

#include <QCloseEvent>
#include <QMouseEvent>

#include "platform/qt/qt_backend.hpp"
#include "platform/qt/qt_convert.hpp"

namespace lupe::qt {

FormWindow::FormWindow(QtBackend& backend) : QWidget(nullptr), backend_(backend) {}

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
  if (event->type() == QEvent::WindowStateChange) backend_.windowStateChanged();
}

void FormWindow::closeEvent(QCloseEvent* event) {
  if (backend_.windowClosing()) {
    event->accept();
  } else {
    event->ignore();
  }
}

// Presses that a control let through (a label's, a panel's) come here too:
// whose they are, and which release belongs to a press, the runtime tells.
void FormWindow::mousePressEvent(QMouseEvent* event) {
  backend_.formMouse(FormRuntime::Mouse::Down, *event);
}

void FormWindow::mouseReleaseEvent(QMouseEvent* event) {
  backend_.formMouse(FormRuntime::Mouse::Up, *event);
}

}  // namespace lupe::qt
