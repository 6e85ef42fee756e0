// The program in a Qt session, whatever kind: Qt's application, the
// signals from the very start, the screen opened through the event loop,
// the toolkit, the emulated desktop and the runtime, the screen's events,
// the check for pictures, and the one way of ending.
#include "entry/qt_session.hpp"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include "app/frm_lupe.hpp"
#include "app/version_info.hpp"
#include "entry/session_ending.hpp"
#include "platform/controls/form_runtime.hpp"
#include "platform/emulation/emulated_desktop.hpp"
#include "platform/qt/close_on_signals.hpp"
#include "platform/qt/lost_display.hpp"
#include "platform/qt/qt_backend.hpp"
#include "platform/qt/qt_window_requests.hpp"

namespace lupe {
namespace {

// A desktop that sends no pictures is said, never a silently black view.
constexpr int kPicturesWithinMilliseconds = 10000;

}  // namespace

int runQtSession(std::unique_ptr<SessionKind> chosen, int argc, char** argv) {
  if (const std::string problem = chosen->displayProblem(); !problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  setenv("QT_QPA_PLATFORM", chosen->qtPlatform(), 1);
  chosen->configureQt();
  // A display that goes away must end us with our line, not a SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);

  // Outlives the application: Qt may report a lost display until its end.
  SessionEnding ending;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8("Tevka - Lupe"));
  QApplication::setApplicationVersion(version::kProductVersion);
  // A Wayland compositor finds our name and icon through the desktop entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("de.tevka.Lupe"));

  // The session's own Qt objects go before the application.
  const std::unique_ptr<SessionKind> session = std::move(chosen);
  SessionKind& kind = *session;
  qt::endOnLostDisplay([&ending](const Ending& lost) { ending.endNow(lost); });
  const qt::CloseOnSignals closeOnSignals([&ending] { ending.close(); });

  // The desktop may ask the user first: the event loop runs meanwhile, for
  // its answers and for the signals.
  bool opened = false;
  kind.openScreen(ending, [&opened] {
    opened = true;
    QCoreApplication::exit(0);
  });
  if (!opened && !ending.ended()) QApplication::exec();
  if (!opened || ending.ended()) return ending.statusOr(0);

  qt::QtBackend toolkit;
  qt::QtWindowRequests requests(toolkit, kind.leftButtonHeld());
  EmulatedDesktop desktop(kind.screen(), requests);
  FormRuntime runtime(toolkit, &desktop);
  toolkit.attach(runtime);
  ending.attach(runtime, toolkit);
  kind.wire(toolkit, runtime, ending);

  std::unique_ptr<QSocketNotifier> screenEvents;
  if (const int descriptor = kind.screenEvents(); descriptor >= 0) {
    screenEvents = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    QObject::connect(screenEvents.get(), &QSocketNotifier::activated, screenEvents.get(),
                     [&kind] { kind.dispatchScreen(); });
  }
  QTimer::singleShot(kPicturesWithinMilliseconds, [&kind] { kind.checkPictures(); });

  frmLupe form(runtime, desktop);
  const int status = runtime.run(form);
  ending.detach();
  return ending.statusOr(status);
}

}  // namespace lupe
