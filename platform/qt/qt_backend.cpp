#include "platform/qt/qt_backend.hpp"

#include <cmath>
#include <cstdio>

#include <QApplication>
#include <QScreen>
#include <QWindow>

#include "platform/qt/control_widgets.hpp"
#include "platform/qt/form_window.hpp"
#include "platform/qt/qt_convert.hpp"
#include "platform/qt/view_widget.hpp"

namespace lupe::qt {
namespace {

WindowId idOf(QWidget* window) { return reinterpret_cast<WindowId>(window); }

// Twips per native pixel of the primary screen, taken once: the window's
// definition and its outer size both go through this one figure.
double screenTwipsPerPixel() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchX() * screen->devicePixelRatio() : 0;
  return dpi > 0 ? kTwipsPerInch / dpi : kTwipsPerPixelAt96Dpi;
}

}  // namespace

QtBackend::QtBackend() : twipsPerPixel_(screenTwipsPerPixel()) {}

QtBackend::~QtBackend() { timers_.clear(); }

WindowId QtBackend::createWindow(Form& form) {
  form_ = &form;
  window_ = std::make_unique<FormWindow>(*this);
  const qreal dpr = window_->devicePixelRatioF();
  widgets_.build(form, *window_, *this);
  showProperty(form, PropertyId::Caption);
  if (form.Icon) window_->setWindowIcon(QIcon(QPixmap::fromImage(toQImage(*form.Icon))));
  window_->resize(
      toLogical(0, 0, devicePixel(form.ClientWidth), devicePixel(form.ClientHeight), dpr).size());
  window_->winId();  // the native window exists before Load runs
  return idOf(window_.get());
}

QWidget* QtBackend::formWindow() const { return window_.get(); }

WindowId QtBackend::windowId() const { return idOf(window_.get()); }

void QtBackend::showWindow() {
  window_->show();
  // Only now: native windows made before the first showing would be lost
  // when Qt makes the window anew for the above state.
  if (!viewsNative_) {
    if (outputs_) widgets_.showViewsThrough(*form_, outputs_);
    if (placedOutputs_) widgets_.showViewsOnSurfaces(*form_, placedOutputs_);
  }
  viewsNative_ = true;
}

void QtBackend::hideWindow() {
  if (window_) window_->hide();
}

void QtBackend::setTabOrder(const std::vector<const Control*>& order) {
  QWidget* previous = nullptr;
  for (const Control* control : order) {
    QWidget* widget = widgets_.of(*control);
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
  if (QWidget* widget = widgets_.of(control)) {
    lupe::qt::showProperty(control, widget, id);
  } else if (const Control* container = control.container()) {
    // Lines and images are drawn by their container: here a panel, since
    // those on a view come as the view's redraw.
    if (QWidget* widget = widgets_.of(*container)) widget->update();
  }
}

void QtBackend::showRedrawnView(const PictureBox& view) {
  if (QWidget* widget = widgets_.of(view)) static_cast<ViewWidget*>(widget)->redrawn();
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

// Qt makes a new native window when the above state is set before the
// first showing, and only the window handle knows it (QWidget::winId keeps
// the first).
void QtBackend::followFrame() {
  if (frames_ && window_ && window_->windowHandle())
    frames_->follow(static_cast<uint64_t>(window_->windowHandle()->winId()));
}

}  // namespace lupe::qt
