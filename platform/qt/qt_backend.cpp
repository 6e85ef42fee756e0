#include "platform/qt/qt_backend.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QScreen>
#include <QWindow>

#include "platform/qt/control_widgets.hpp"
#include "platform/qt/form_window.hpp"
#include "platform/qt/qt_convert.hpp"
#include "platform/qt/view_widget.hpp"
#include "platform/runtime/runtime_error.hpp"

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

QtBackend::~QtBackend() {
  live_ = false;
  timers_.clear();
}

int QtBackend::run(Form& form) {
  form_ = &form;
  window_ = std::make_unique<FormWindow>(*this);
  const qreal dpr = window_->devicePixelRatioF();
  build(form, window_.get());
  showFormProperty(PropertyId::Caption);
  if (form.Icon) window_->setWindowIcon(QIcon(QPixmap::fromImage(toQImage(*form.Icon))));
  window_->resize(
      toLogical(0, 0, devicePixel(form.ClientWidth), devicePixel(form.ClientHeight), dpr).size());
  window_->winId();  // the window exists, with its handle, before Load runs
  hwnd_ = desktop_ ? desktop_->registerWindow(idOf(window_.get())) : 0;

  live_ = true;
  form.Load.raise();
  if (ended_) return 0;
  if (unloaded_) return 0;

  window_->show();
  orderTabs();
  shown_ = true;
  for (const auto& [timer, qtimer] : timers_) syncTimer(*timer);
  return QApplication::exec();
}

void QtBackend::build(Control& container, QWidget* parent) {
  for (Control* child : container.children()) {
    if (child->kind() == ControlKind::Timer) {
      auto& timer = static_cast<Timer&>(*child);
      auto qtimer = std::make_unique<QTimer>();
      qtimer->setTimerType(Qt::PreciseTimer);
      QObject::connect(qtimer.get(), &QTimer::timeout, qtimer.get(),
                       [this, &timer] { deliver([&] { timer.Tick.raise(); }); });
      timers_.emplace(&timer, std::move(qtimer));
      continue;
    }
    QWidget* widget = makeWidget(*child, parent, *this);
    if (!widget) continue;
    widgets_.emplace(child, widget);
    showAllProperties(*child, widget);
    build(*child, widget);
  }
  // Earlier controls lie above later ones: raise from the last to the first.
  const auto& children = container.children();
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    if (QWidget* widget = widgetOf(**it)) widget->raise();
}

// Keyboard focus moves in TabIndex order; the lowest one has it first.
void QtBackend::orderTabs() {
  std::vector<std::pair<int, QWidget*>> order;
  for (const Control* control : form_->controls()) {
    QWidget* widget = widgetOf(*control);
    if (!widget || widget->focusPolicy() == Qt::NoFocus) continue;
    order.emplace_back(static_cast<const PlacedControl*>(control)->TabIndex, widget);
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 1; i < order.size(); ++i)
    QWidget::setTabOrder(order[i - 1].second, order[i].second);
  if (!order.empty()) order.front().second->setFocus(Qt::OtherFocusReason);
}

void QtBackend::syncTimer(const Timer& timer) {
  const auto it = timers_.find(&timer);
  if (it == timers_.end()) return;
  QTimer& qtimer = *it->second;
  // An interval of 0 stops the timer, as does disabling it.
  if (!shown_ || !live_ || !timer.Enabled || timer.Interval <= 0) {
    qtimer.stop();
  } else {
    qtimer.start(timer.Interval);  // a new interval counts from now
  }
}

QWidget* QtBackend::widgetOf(const Control& control) const {
  const auto it = widgets_.find(&control);
  return it == widgets_.end() ? nullptr : it->second;
}

void QtBackend::windowResized(bool always) {
  if (!live_ || !form_) return;
  followFrame();
  const PixelSize size = outerSize(*form_);
  if (!always && size.width == reported_.width && size.height == reported_.height) return;
  reported_ = size;
  form_->Resize.raise();
}

bool QtBackend::windowClosing() {
  if (unloaded_ || !form_) return true;
  unload(*form_);
  return unloaded_;
}

void QtBackend::checkWrite(const Control&, PropertyId) {}

void QtBackend::propertyChanged(const Control& control, PropertyId id) {
  if (!window_ || unloaded_) return;
  switch (control.kind()) {
    case ControlKind::Form:
      showFormProperty(id);
      return;
    case ControlKind::Timer:
      syncTimer(static_cast<const Timer&>(control));
      return;
    default:
      break;
  }
  if (QWidget* widget = widgetOf(control)) {
    showProperty(control, widget, id);
  } else if (const Control* container = control.container()) {
    // Lines and images of a picture box are painted by it.
    if (QWidget* painter = widgetOf(*container)) painter->update();
  }
}

void QtBackend::showFormProperty(PropertyId id) {
  if (id == PropertyId::Caption) window_->setWindowTitle(QString::fromStdString(form_->Caption));
}

void QtBackend::report(const RuntimeError& error) {
  std::fprintf(stderr, "%s\n", reportLine(error).c_str());
  std::fflush(stderr);
}

PixelSize QtBackend::outerSize(const Form&) {
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
  if (!frames_ || !window_->windowHandle()) return;
  const auto native = static_cast<uint64_t>(window_->windowHandle()->winId());
  if (native == followed_) return;
  followed_ = native;
  frames_->follow(native);
  const int descriptor = frames_->noticeDescriptor();
  if (frameNotices_ || descriptor < 0) return;
  frameNotices_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
  // A new frame changes the outer size without resizing the client area.
  QObject::connect(frameNotices_.get(), &QSocketNotifier::activated, frameNotices_.get(), [this] {
    if (frames_->poll()) windowResized(false);
  });
}

Handle QtBackend::windowHandle(const Form&) {
  if (!hwnd_ || unloaded_) throw RuntimeError::invalidPropertyValue();
  return hwnd_;
}

Handle QtBackend::deviceContext(PictureBox& picture) {
  if (!desktop_ || unloaded_) throw RuntimeError::invalidPropertyValue();
  const auto it = surfaces_.find(&picture);
  if (it != surfaces_.end()) return it->second;
  QWidget* view = widgetOf(picture);
  const Handle dc = desktop_->registerSurface(picture.surface(), [view] {
    if (view) view->update();
  });
  surfaces_.emplace(&picture, dc);
  return dc;
}

void QtBackend::unload(Form& form) {
  if (unloaded_) return;
  int16_t cancel = 0;
  form.Unload.raise(cancel);
  if (cancel != 0) return;
  // The window goes with its controls and timers: no event reaches the model
  // any more, and no tick runs after the device context was given back.
  unloaded_ = true;
  live_ = false;
  for (const auto& [timer, qtimer] : timers_) qtimer->stop();
  if (desktop_) {
    for (const auto& [picture, dc] : surfaces_) desktop_->unregisterSurface(dc);
    desktop_->unregisterWindow(hwnd_);
  }
  surfaces_.clear();
  if (window_) window_->hide();
}

void QtBackend::endProgram() {
  ended_ = true;
  live_ = false;
  for (const auto& [timer, qtimer] : timers_) qtimer->stop();
  QCoreApplication::exit(0);
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
  return widget->windowHandle()->startSystemMove();
}

bool QtBackend::releaseCapture() {
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  return true;
}

}  // namespace lupe::qt
