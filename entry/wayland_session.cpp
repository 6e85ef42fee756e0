// The program in a Wayland session: the desktop's screen-cast portal gives
// the monitors' pictures and the pointer, Qt's Wayland platform the window.
#include <csignal>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include "app/frm_lupe.hpp"
#include "app/version_info.hpp"
#include "entry/sessions.hpp"
#include "platform/controls/form_runtime.hpp"
#include "platform/emulation/emulated_desktop.hpp"
#include "platform/qt/close_on_signals.hpp"
#include "platform/qt/lost_display.hpp"
#include "platform/qt/qt_backend.hpp"
#include "platform/wayland/wayland_environment.hpp"
#include "platform/wayland/wayland_screen_source.hpp"

namespace lupe {

int runInWaylandSession(int argc, char** argv) {
  // Qt aborts with a core dump when the compositor does not answer: ask first.
  if (const std::string problem = wayland::compositorProblem(); !problem.empty())
    return failToStart(problem.c_str());
  setenv("QT_QPA_PLATFORM", "wayland", 1);
  std::signal(SIGPIPE, SIG_IGN);

  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8("Tevka - Lupe"));
  QApplication::setApplicationVersion(version::kProductVersion);
  // The compositor finds our name and icon through the desktop entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("de.tevka.Lupe"));
  qt::endOnLostDisplay();

  std::unique_ptr<wayland::WaylandScreenSource> screen;
  try {
    screen = wayland::WaylandScreenSource::open();
  } catch (const std::exception& error) {
    return failToStart(error.what());
  }

  qt::QtBackend toolkit;
  EmulatedDesktop desktop(*screen, toolkit);
  FormRuntime runtime(toolkit, &desktop);
  toolkit.attach(runtime);
  const qt::CloseOnSignals closeOnSignals([&toolkit] { toolkit.closeWindow(0); });
  // The streams' news are taken in as they come, so the compositor gets its
  // buffers back at once and an ended stream is heard between ticks too.
  QSocketNotifier streamNews(screen->eventDescriptor(), QSocketNotifier::Read);
  QObject::connect(&streamNews, &QSocketNotifier::activated, [&screen] { screen->dispatch(); });
  screen->onEnded([&toolkit](const std::string& line) {
    QTimer::singleShot(0, [&toolkit, line] { toolkit.endWith(line); });
  });
  // Never a silently black view: a desktop that sends no pictures is said.
  QTimer::singleShot(10000, [&screen] { screen->checkPictures(); });
  frmLupe form(runtime, desktop);
  return runtime.run(form);
}

}  // namespace lupe
