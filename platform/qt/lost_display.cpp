#include "platform/qt/lost_display.hpp"

#include <QString>
#include <QtGlobal>

namespace lupe::qt {
namespace {

QtMessageHandler previousHandler = nullptr;
std::function<void(const Ending&)> endProgram;

const char* const kX11Lost =
    "Tevka - Lupe: Die Verbindung zum X-Server ist abgebrochen (X-Server beendet oder "
    "Fenster zwangsweise geschlossen); die Lupe wird beendet.";
const char* const kWaylandLost =
    "Tevka - Lupe: Die Verbindung zum Wayland-Compositor ist abgebrochen (Sitzung beendet "
    "oder Compositor abgestürzt); die Lupe wird beendet.";

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const char* line = nullptr;
  if (message.contains(QLatin1String("X11 connection broke"))) line = kX11Lost;
  // Qt's words for a compositor that went away or closed our connection.
  if (message.contains(QLatin1String("The Wayland connection"))) line = kWaylandLost;
  if (line && endProgram) return std::exchange(endProgram, nullptr)({line, message.toStdString(), 1});
  if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

void endOnLostDisplay(std::function<void(const Ending&)> endNow) {
  endProgram = std::move(endNow);
  previousHandler = qInstallMessageHandler(handleMessage);
}

}  // namespace lupe::qt
