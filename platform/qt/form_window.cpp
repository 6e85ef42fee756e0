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

// A press that a control let through (a label's, a panel's) is not on the
// window's own surface; only a press that hit no control is. Which release
// belongs to such a press is the runtime's to tell.
void FormWindow::mousePressEvent(QMouseEvent* event) {
  if (childAt(event->position().toPoint())) return;
  backend_.formMouse(FormRuntime::Mouse::Down, *event);
}

void FormWindow::mouseReleaseEvent(QMouseEvent* event) {
  backend_.formMouse(FormRuntime::Mouse::Up, *event);
}

}  // namespace lupe::qt
