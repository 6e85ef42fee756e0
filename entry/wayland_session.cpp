// The Wayland session: the monitors' pictures and the pointer through the
// desktop's screen-cast portal and PipeWire, the window on Qt's Wayland
// platform.
#include <chrono>
#include <memory>
#include <vector>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "entry/session_ending.hpp"
#include "entry/sessions.hpp"
#include "platform/wayland/wayland_environment.hpp"
#include "platform/wayland/wayland_screen_source.hpp"

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

// A compositor that dies takes its streams and its portal session with it,
// and PipeWire may tell of the stream before Qt tells of the connection.
// The compositor gone is then what the user must hear: Qt's report ends
// the program, and the screen cast's ending stands only should it not come.
void screenCastEnded(SessionEnding& ending, Ending why) {
  if (wayland::compositorProblem().empty()) return ending.end(std::move(why));
  QTimer::singleShot(kQtsTurn, [&ending, why] { ending.end(why); });
}

class WaylandSession final : public SessionKind {
 public:
  const char* qtPlatform() const override { return "wayland"; }
  std::string displayProblem() const override { return wayland::compositorProblem(); }

  void openScreen(SessionEnding& ending, std::function<void()> ready) override {
    screen_ = std::make_unique<wayland::WaylandScreenSource>(
        [&ending](Ending why) { screenCastEnded(ending, std::move(why)); }, sessionScreens());
    screen_->open(std::move(ready));
  }

  ScreenSource& screen() override { return *screen_; }
  int screenEvents() override { return screen_->eventDescriptor(); }
  void dispatchScreen() override { screen_->dispatch(); }
  void checkPictures() override { screen_->checkPictures(); }

 private:
  std::unique_ptr<wayland::WaylandScreenSource> screen_;
};

}  // namespace

std::unique_ptr<SessionKind> makeWaylandSession() { return std::make_unique<WaylandSession>(); }

}  // namespace lupe
