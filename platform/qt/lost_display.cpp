#include "platform/qt/lost_display.hpp"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <QCoreApplication>
#include <QString>
#include <QThread>
#include <QtGlobal>

namespace lupe::qt {
namespace {

QtMessageHandler previousHandler = nullptr;
std::function<void(const Ending&)> endProgram;
std::atomic_flag endingBegun = ATOMIC_FLAG_INIT;  // by the event loop's thread
std::atomic_flag waiting = ATOMIC_FLAG_INIT;      // a thread waits for it

const char* const kX11Lost =
    "Tevka - Lupe: Die Verbindung zum X-Server ist abgebrochen (X-Server beendet oder "
    "Fenster zwangsweise geschlossen); die Lupe wird beendet.";
const char* const kWaylandLost =
    "Tevka - Lupe: Die Verbindung zum Wayland-Compositor ist abgebrochen (Sitzung beendet "
    "oder Compositor abgestürzt); die Lupe wird beendet.";

// How long a loss heard on another thread waits for the event loop's thread
// to end the program in order.
constexpr std::chrono::seconds kEventLoopsTurn{2};

bool onTheEventLoopsThread() {
  const QCoreApplication* application = QCoreApplication::instance();
  return application && QThread::currentThread() == application->thread();
}

[[noreturn]] void waitForTheEnd() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

// Qt's Wayland platform reads on threads of its own too, and any of them
// may hear the loss, each ending the process right after its warning. The
// program is ended by the event loop's thread, where the window can be
// closed; a loss heard elsewhere is handed to it, and that thread waits.
// Should the event loop's thread never come to it, the waiting one ends
// the program, telling the user first unless the ending has begun.
[[noreturn]] void lost(const Ending& what) {
  if (onTheEventLoopsThread()) {
    if (!endingBegun.test_and_set()) endProgram(what);
    waitForTheEnd();  // heard again while ending
  }
  if (waiting.test_and_set()) waitForTheEnd();
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [what] {
        if (!endingBegun.test_and_set()) endProgram(what);
      },
      Qt::QueuedConnection);
  std::this_thread::sleep_for(kEventLoopsTurn);
  if (!endingBegun.test_and_set()) {
    std::fputs(what.told().c_str(), stderr);
    std::fflush(stderr);
  } else {
    std::this_thread::sleep_for(kEventLoopsTurn);  // the ending has its time to close
  }
  std::_Exit(what.status);
}

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const char* line = nullptr;
  if (message.contains(QLatin1String("X11 connection broke"))) line = kX11Lost;
  // Qt's words for a compositor that went away or closed our connection.
  if (message.contains(QLatin1String("The Wayland connection"))) line = kWaylandLost;
  if (line && endProgram) lost({line, message.toStdString(), 1});
  if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

void endOnLostDisplay(std::function<void(const Ending&)> endNow) {
  endProgram = std::move(endNow);
  previousHandler = qInstallMessageHandler(handleMessage);
}

}  // namespace lupe::qt
