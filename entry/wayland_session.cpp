// The Wayland session: the monitors' pictures and the pointer through the
// desktop's screen-cast portal and PipeWire, the window on Qt's Wayland
// platform, each view on a subsurface of its own.
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include <QGuiApplication>
#include <QMessageLogContext>
#include <QScreen>
#include <QTimer>
#include <QVersionNumber>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include "entry/session_ending.hpp"
#include "entry/sessions.hpp"
#include "platform/qt/qt_backend.hpp"
#include "platform/wayland/wayland_environment.hpp"
#include "platform/wayland/wayland_screen_source.hpp"
#include "platform/wayland/wayland_view_output.hpp"

namespace lupe {
namespace {

// The monitors as the compositor told Qt of them: names, logical geometry
// and scale, to place the portal's streams on.
std::vector<wayland::SessionScreen> sessionScreens() {
  std::vector<wayland::SessionScreen> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect logical = screen->geometry();
    screens.push_back({screen->name().toStdString(),
                       {logical.x(), logical.y(), logical.width(), logical.height()},
                       screen->devicePixelRatio()});
  }
  return screens;
}

// How long an ending heard from the screen cast waits, once the compositor
// no longer answers, for Qt to report the lost connection.
constexpr std::chrono::seconds kQtsTurn{2};

// How long a compositor that is alive takes, at most, to answer a request.
constexpr std::chrono::milliseconds kAnAnswersTime{500};

// A compositor that dies takes its streams and its portal session with it,
// and PipeWire may tell of the stream before Qt tells of the connection.
// The compositor gone is then what the user must hear: Qt's report ends
// the program, and the screen cast's ending stands only should it not come.
// A dying compositor may still take a connection, so it must answer.
void screenCastEnded(SessionEnding& ending, Ending why) {
  if (wayland::compositorAnswers(kAnAnswersTime)) return ending.end(std::move(why));
  QTimer::singleShot(kQtsTurn, [&ending, why] { ending.end(why); });
}

// Our window paints with the processor alone, yet Qt 6.4 to 6.7 load the
// graphics driver (Mesa's EGL, with LLVM some 50 MB) to ask whether they can
// draw a window's frame, and draw none without it; 6.8 draws it all the
// same. Where Qt draws no frame or draws it without, this process is offered
// no EGL vendor: nothing of the driver is loaded, and Qt only says so.
QtMessageHandler qtsOwnHandler = nullptr;

void withoutTheDriversAbsence(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
  if (context.category && std::string_view(context.category) == "qt.qpa.wayland" &&
      message == QLatin1String("EGL not available"))
    return;
  if (qtsOwnHandler) qtsOwnHandler(type, context, message);
}

bool framesNeedNoDriver() {
  return QVersionNumber::fromString(QLatin1String(qVersion())) >= QVersionNumber(6, 8) ||
         wayland::compositorDrawsFrames();
}

void paintWithoutGraphicsDriver() {
  setenv("__EGL_VENDOR_LIBRARY_FILENAMES", "/nonexistent/tevka-lupe-paints-without-egl.json", 1);
  qtsOwnHandler = qInstallMessageHandler(withoutTheDriversAbsence);
}

// A view's subsurface, made on Qt's own connection to the compositor and
// laid on the window's surface, whichever Qt has made last.
std::unique_ptr<PlacedOutput> viewSurface(QWindow& window) {
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  if (!native) return nullptr;
  auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
  return wayland::WaylandViewOutput::open(display, [native, &window] {
    return static_cast<wl_surface*>(native->nativeResourceForWindow("surface", &window));
  });
}

class WaylandSession final : public SessionKind {
 public:
  const char* qtPlatform() const override { return "wayland"; }
  std::string displayProblem() const override { return wayland::compositorProblem(); }
  void configureQt() override {
    if (framesNeedNoDriver()) paintWithoutGraphicsDriver();
  }

  void openScreen(SessionEnding& ending, std::function<void()> ready) override {
    screen_ = std::make_unique<wayland::WaylandScreenSource>(
        [&ending](Ending why) { screenCastEnded(ending, std::move(why)); }, sessionScreens());
    screen_->open(std::move(ready));
  }

  ScreenSource& screen() override { return *screen_; }
  int screenEvents() override { return screen_->eventDescriptor(); }
  void dispatchScreen() override { screen_->dispatch(); }
  void checkPictures() override { screen_->checkPictures(); }
  void wire(qt::QtBackend& toolkit, FormRuntime&, SessionEnding&) override {
    toolkit.showViewsOnSurfaces(viewSurface);
  }

 private:
  std::unique_ptr<wayland::WaylandScreenSource> screen_;
};

}  // namespace

std::unique_ptr<SessionKind> makeWaylandSession() { return std::make_unique<WaylandSession>(); }

}  // namespace lupe
