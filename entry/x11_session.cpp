// The program in an X11 session: checks that the screen can be read, wires
// the Qt backend to the X11 screen source, makes frmLupe and runs it.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

#include <QApplication>

#include "app/frm_lupe.hpp"
#include "app/version_info.hpp"
#include "platform/controls/form_runtime.hpp"
#include "platform/emulation/emulated_desktop.hpp"
#include "platform/qt/close_on_signals.hpp"
#include "platform/qt/lost_display.hpp"
#include "platform/qt/qt_backend.hpp"
#include "platform/x11/frame_extents.hpp"
#include "platform/x11/x11_view_output.hpp"
#include "platform/x11/x11_environment.hpp"
#include "platform/x11/x11_screen_source.hpp"
#include "entry/sessions.hpp"

namespace lupe {

int runInX11Session(int argc, char** argv) {
  // Only an X11 display lets us read other programs' windows; ask for it
  // before Qt, whose failure to find one would abort with a core dump.
  if (const std::string problem = lupe::x11::displayProblem(); !problem.empty())
    return failToStart(problem.c_str());
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  // A server that goes away must end us with our message, not a SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);

  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8("Tevka - Lupe"));
  QApplication::setApplicationVersion(lupe::version::kProductVersion);
  lupe::qt::endOnLostDisplay();

  std::unique_ptr<lupe::x11::X11ScreenSource> screen;
  try {
    screen = lupe::x11::X11ScreenSource::open();
  } catch (const std::exception& error) {
    return failToStart(error.what());
  }
  if (!screen->usesSharedMemory()) std::fprintf(stderr, "%s\n", lupe::x11::noSharedMemoryNotice());
  if (!screen->tracksChanges()) std::fprintf(stderr, "%s\n", lupe::x11::noDamageNotice());

  const std::unique_ptr<lupe::x11::FrameExtents> frames = lupe::x11::FrameExtents::open();
  lupe::qt::QtBackend toolkit;
  toolkit.showViewsThrough(
      [](uint64_t window) -> std::unique_ptr<lupe::FrameOutput> {
        return lupe::x11::X11ViewOutput::open(static_cast<uint32_t>(window));
      });
  lupe::EmulatedDesktop desktop(*screen, toolkit);
  lupe::FormRuntime runtime(toolkit, &desktop);
  toolkit.attach(runtime);
  const lupe::qt::CloseOnSignals closeOnSignals([&toolkit] { toolkit.closeWindow(0); });
  if (frames) toolkit.attach(*frames);
  lupe::frmLupe form(runtime, desktop);
  return runtime.run(form);
}

}  // namespace lupe
