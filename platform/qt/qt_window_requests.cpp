#include "platform/qt/qt_window_requests.hpp"

#include <QWidget>
#include <QWindow>

#include "platform/qt/pointer_drag.hpp"
#include "platform/qt/qt_backend.hpp"

namespace lupe::qt {

QtWindowRequests::QtWindowRequests(QtBackend& toolkit, std::function<bool()> leftButtonHeld)
    : toolkit_(toolkit), leftButtonHeld_(std::move(leftButtonHeld)) {}

QtWindowRequests::~QtWindowRequests() = default;

bool QtWindowRequests::setTopmost(WindowId window, bool on) {
  QWidget* widget = toolkit_.formWindow();
  if (!widget || window != toolkit_.windowId()) return false;
  QWindow* handle = widget->windowHandle();
  if (!handle) return false;
  // The native window's own flag: sends the above state to the window
  // manager at once and keeps the window mapped with the same id, where
  // QWidget::setWindowFlags would hide it and make a new one.
  handle->setFlag(Qt::WindowStaysOnTopHint, on);
  widget->overrideWindowFlags(handle->flags());
  return true;
}

bool QtWindowRequests::beginMove(WindowId window) {
  QWidget* widget = toolkit_.formWindow();
  if (!widget || window != toolkit_.windowId() || !widget->windowHandle()) return false;
  if (leftButtonHeld_ && !leftButtonHeld_()) return false;
  if (widget->windowHandle()->startSystemMove()) return true;
  // The window manager offers no move of its own: follow the pointer ourselves.
  if (!drag_) drag_ = std::make_unique<PointerDrag>();
  return drag_->start(*widget);
}

bool QtWindowRequests::releaseCapture() {
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  return true;
}

}  // namespace lupe::qt
