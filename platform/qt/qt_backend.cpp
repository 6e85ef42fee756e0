#include "platform/qt/qt_backend.hpp"

#include <cmath>
#include <cstdio>

#include <QApplication>
#include <QScreen>
#include <QWindow>

#include "platform/controls/control_tree.hpp"
#include "platform/qt/control_widgets.hpp"
#include "platform/qt/form_window.hpp"
#include "platform/qt/pointer_drag.hpp"
#include "platform/qt/qt_convert.hpp"
#include "platform/qt/view_widget.hpp"

namespace lupe::qt {
namespace {

WindowId idOf(QWidget* window) { return reinterpret_cast<WindowId>(window); }

// Twips per native pixel of the primary screen, taken once: the window's
// definition and its outer size both go through this one figure.
double screenTwipsPerPixel() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 15.0;
  const double dpi = screen->logicalDotsPerInchX() * screen->devicePixelRatio();
  return dpi > 0 ? 1440.0 / dpi : 15.0;
}

}  // namespace

QtBackend::QtBackend() : twipsPerPixel_(screenTwipsPerPixel()) {}

QtBackend::~QtBackend() { timers_.clear(); }

WindowId QtBackend::createWindow(Form& form) {
  form_ = &form;
  window_ = std::make_unique<FormWindow>(*this);
  const qreal dpr = window_->devicePixelRatioF();
  build(form);
  showProperty(form, PropertyId::Caption);
  if (form.Icon) window_->setWindowIcon(QIcon(QPixmap::fromImage(toQImage(*form.Icon))));
  window_->resize(
      toLogical(0, 0, devicePixel(form.ClientWidth), devicePixel(form.ClientHeight), dpr).size());
  window_->winId();  // the native window exists before Load runs
  return idOf(window_.get());
}

void QtBackend::build(Form& form) {
  buildWindows(
      form,
      [this](Control& control) {
        QWidget* parent =
            control.container() == form_ ? window_.get() : widgetOf(*control.container());
        QWidget* widget = makeWidget(control, parent, *this);
        widgets_.emplace(&control, widget);
        showAllProperties(control, widget);
      },
      [this](const Control& container) { stack(container); });
}

// Raising each from the bottom-most up leaves the top-most on top.
void QtBackend::stack(const Control& container) {
  for (const Control* child : fromBottom(container))
    if (QWidget* widget = widgetOf(*child)) widget->raise();
}

void QtBackend::showWindow() {
  window_->show();
  // Only now: native windows made before the first showing would be lost
  // when Qt makes the window anew for the above state.
  if (outputs_ && !viewsNative_) giveViewsNativeWindows(*form_);
  viewsNative_ = true;
}

void QtBackend::giveViewsNativeWindows(const Control& container) {
  for (const Control* child : container.children()) {
    if (child->kind() == ControlKind::PictureBox) {
      // A view in a native window of its own would hide what Qt paints of
      // the controls above it: they get native windows as well.
      forEachAbove(*child, [this](const Control& above) {
        if (QWidget* widget = widgetOf(above)) widget->setAttribute(Qt::WA_NativeWindow);
      });
      if (QWidget* widget = widgetOf(*child))
        static_cast<ViewWidget*>(widget)->showThrough(outputs_);
      stack(container);
    }
    giveViewsNativeWindows(*child);
  }
}

void QtBackend::hideWindow() {
  if (window_) window_->hide();
}

void QtBackend::setTabOrder(const std::vector<const Control*>& order) {
  QWidget* previous = nullptr;
  for (const Control* control : order) {
    QWidget* widget = widgetOf(*control);
    if (!widget) continue;
    if (previous) {
      QWidget::setTabOrder(previous, widget);
    } else {
      widget->setFocus(Qt::OtherFocusReason);
    }
    previous = widget;
  }
}

void QtBackend::setTimer(const Timer& timer, int32_t interval) {
  auto it = timers_.find(&timer);
  if (it == timers_.end()) {
    if (interval <= 0) return;
    auto qtimer = std::make_unique<QTimer>();
    qtimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(qtimer.get(), &QTimer::timeout, qtimer.get(), [this, &timer] {
      if (runtime_) runtime_->timerFired(timer);
    });
    it = timers_.emplace(&timer, std::move(qtimer)).first;
  }
  if (interval <= 0) {
    it->second->stop();
  } else {
    it->second->start(interval);
  }
}

QWidget* QtBackend::widgetOf(const Control& control) const {
  const auto it = widgets_.find(&control);
  return it == widgets_.end() ? nullptr : it->second;
}

void QtBackend::windowResized() {
  followFrame();
  if (runtime_) runtime_->windowResized();
}

void QtBackend::windowStateChanged() {
  followFrame();
  if (!runtime_) return;
  runtime_->windowStateChanged(windowStateOf(window_->windowState()));
  runtime_->windowResized();
}

void QtBackend::formMouse(FormRuntime::Mouse what, const QMouseEvent& event) {
  if (!runtime_) return;
  const QPoint at = nativePosition(event, *window_);
  runtime_->formMouse(what, buttonOf(event.button()), shiftOf(event.modifiers()), at.x(), at.y());
}

void QtBackend::windowMoved() {
  followFrame();
  if (runtime_) runtime_->frameChanged();
}

bool QtBackend::windowClosing() { return !runtime_ || runtime_->closeRequested(); }

// Another program destroyed our window: nothing can be shown any more. The
// window's closing still runs, so the program gives back what it holds.
void QtBackend::endWith(const std::string& line) {
  reportError(line);
  if (runtime_) runtime_->closeRequested();
  QCoreApplication::exit(1);
}

void QtBackend::closeWindow(int status) {
  if (window_ && window_->isVisible() && window_->close()) return;
  QCoreApplication::exit(status);
}

void QtBackend::showProperty(const Control& control, PropertyId id) {
  if (!window_) return;
  if (control.kind() == ControlKind::Form) {
    if (id == PropertyId::Caption) window_->setWindowTitle(QString::fromStdString(form_->Caption));
    // Asks the window manager; the state it grants comes back through changeEvent.
    if (id == PropertyId::WindowState)
      window_->setWindowState(toWindowStates(form_->WindowState, window_->windowState()));
    return;
  }
  if (QWidget* widget = widgetOf(control)) {
    lupe::qt::showProperty(control, widget, id);
  } else if (const Control* container = control.container()) {
    // Lines and images are drawn by their container: here a panel, since
    // those on a view come as the view's redraw.
    if (QWidget* widget = widgetOf(*container)) widget->update();
  }
}

void QtBackend::showRedrawnView(const PictureBox& view) {
  if (QWidget* widget = widgetOf(view)) static_cast<ViewWidget*>(widget)->redrawn();
}

void QtBackend::reportError(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

int QtBackend::runEventLoop() { return QApplication::exec(); }

// The runtime has stopped the timers already.
void QtBackend::quitEventLoop(int status) { QCoreApplication::exit(status); }

PixelSize QtBackend::outerSize() {
  if (!window_) return {};
  const qreal dpr = window_->devicePixelRatioF();
  if (const auto margins = frames_ ? frames_->margins() : std::nullopt) {
    // The window manager's frame is in native pixels already.
    const QSize client = window_->size();
    return {
        static_cast<int32_t>(std::lround(client.width() * dpr)) + margins->left + margins->right,
        static_cast<int32_t>(std::lround(client.height() * dpr)) + margins->top + margins->bottom};
  }
  const QRect frame = window_->frameGeometry();
  return {static_cast<int32_t>(std::lround(frame.width() * dpr)),
          static_cast<int32_t>(std::lround(frame.height() * dpr))};
}

// Follows the frame of the native window as it is now: Qt makes a new one
// when the above state is set before the first showing, and only the
// window handle knows it (QWidget::winId keeps the first).
void QtBackend::followFrame() {
  if (!frames_ || !window_ || !window_->windowHandle()) return;
  frames_->follow(static_cast<uint64_t>(window_->windowHandle()->winId()));
  const int descriptor = frames_->noticeDescriptor();
  if (frameNotices_ || descriptor < 0) return;
  frameNotices_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
  // A new frame changes the outer size without resizing the client area.
  QObject::connect(frameNotices_.get(), &QSocketNotifier::activated, frameNotices_.get(), [this] {
    if (frames_->poll() && runtime_) runtime_->frameChanged();
    // Qt makes the native window anew at times: only the one it uses counts.
    followFrame();
    if (frames_->windowDestroyed())
      endWith(
          "Tevka - Lupe: Das Fenster der Lupe wurde von einem anderen Programm geschlossen; "
          "die Lupe wird beendet.");
  });
}

bool QtBackend::setTopmost(WindowId window, bool on) {
  auto* widget = reinterpret_cast<QWidget*>(window);
  if (!window_ || widget != window_.get()) return false;
  QWindow* handle = widget->windowHandle();
  if (!handle) return false;
  // The native window's own flag: sends the above state to the window
  // manager at once and keeps the window mapped with the same id, where
  // QWidget::setWindowFlags would hide it and make a new one.
  handle->setFlag(Qt::WindowStaysOnTopHint, on);
  widget->overrideWindowFlags(handle->flags());
  return true;
}

bool QtBackend::beginMove(WindowId window) {
  auto* widget = reinterpret_cast<QWidget*>(window);
  if (!window_ || widget != window_.get() || !widget->windowHandle()) return false;
  if (widget->windowHandle()->startSystemMove()) return true;
  // The window manager offers no move of its own: follow the pointer ourselves.
  if (!drag_) drag_ = std::make_unique<PointerDrag>();
  return drag_->start(*widget);
}

bool QtBackend::releaseCapture() {
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  return true;
}

}  // namespace lupe::qt
