#include "platform/qt/lost_display.hpp"

#include <cstdio>
#include <cstdlib>

#include <QString>
#include <QtGlobal>

namespace lupe::qt {
namespace {

QtMessageHandler previousHandler = nullptr;

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("X11 connection broke"))) {
    std::fputs(
        "Tevka - Lupe: Die Verbindung zum X-Server ist abgebrochen (X-Server beendet oder "
        "Fenster zwangsweise geschlossen); die Lupe wird beendet.\n",
        stderr);
    std::fflush(stderr);
    std::_Exit(1);
  }
  if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

void endOnLostDisplay() { previousHandler = qInstallMessageHandler(handleMessage); }

}  // namespace lupe::qt
