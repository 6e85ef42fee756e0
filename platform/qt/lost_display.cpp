#include "platform/qt/lost_display.hpp"

#include <cstdio>
#include <cstdlib>

#include <QString>
#include <QtGlobal>

namespace lupe::qt {
namespace {

QtMessageHandler previousHandler = nullptr;

[[noreturn]] void endWith(const char* line) {
  std::fputs(line, stderr);
  std::fflush(stderr);
  std::_Exit(1);
}

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("X11 connection broke")))
    endWith(
        "Tevka - Lupe: Die Verbindung zum X-Server ist abgebrochen (X-Server beendet oder "
        "Fenster zwangsweise geschlossen); die Lupe wird beendet.\n");
  // Qt's words for a compositor that went away or closed our connection.
  if (message.contains(QLatin1String("The Wayland connection")))
    endWith(
        "Tevka - Lupe: Die Verbindung zum Wayland-Compositor ist abgebrochen (Sitzung "
        "beendet oder Compositor abgestürzt); die Lupe wird beendet.\n");
  if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

void endOnLostDisplay() { previousHandler = qInstallMessageHandler(handleMessage); }

}  // namespace lupe::qt
