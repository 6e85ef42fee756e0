#include "platform/qt/pointer_drag.hpp"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>

namespace lupe::qt {

PointerDrag::~PointerDrag() { stop(); }

bool PointerDrag::start(QWidget& window) {
  if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) return false;
  stop();
  window_ = &window;
  grabbedAt_ = QCursor::pos() - window.pos();
  window.grabMouse();
  qApp->installEventFilter(this);
  return true;
}

bool PointerDrag::eventFilter(QObject*, QEvent* event) {
  if (!window_) return false;
  switch (event->type()) {
    case QEvent::MouseMove: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      window_->move(mouse->globalPosition().toPoint() - grabbedAt_);
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return true;
      stop();
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      return true;  // the drag holds the pointer until the left button comes up
    default:
      return false;
  }
}

void PointerDrag::stop() {
  if (!window_) return;
  qApp->removeEventFilter(this);
  window_->releaseMouse();
  window_.clear();
}

}  // namespace lupe::qt
