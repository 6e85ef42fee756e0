// The X11 session: the root window read through xcb, each view shown from
// its shared memory in a native window, the window manager's frame and the
// pointer's buttons from the X server.
#include <cstdio>
#include <exception>
#include <memory>

#include <QSocketNotifier>

#include "entry/session_ending.hpp"
#include "entry/sessions.hpp"
#include "platform/qt/qt_backend.hpp"
#include "platform/x11/frame_extents.hpp"
#include "platform/x11/pointer_buttons.hpp"
#include "platform/x11/x11_environment.hpp"
#include "platform/x11/x11_screen_source.hpp"
#include "platform/x11/x11_view_output.hpp"

namespace lupe {
namespace {

const char* const kWindowDestroyed =
    "Tevka - Lupe: Das Fenster der Lupe wurde von einem anderen Programm geschlossen; die Lupe "
    "wird beendet.";

class X11Session final : public SessionKind {
 public:
  const char* qtPlatform() const override { return "xcb"; }
  // Only an X11 display lets us read other programs' windows.
  std::string displayProblem() const override { return x11::displayProblem(); }

  void openScreen(SessionEnding& ending, std::function<void()> ready) override {
    try {
      screen_ = x11::X11ScreenSource::open();
    } catch (const std::exception& error) {
      return ending.end({error.what(), "", 1});
    }
    if (!screen_->usesSharedMemory()) std::fprintf(stderr, "%s\n", x11::noSharedMemoryNotice());
    if (!screen_->tracksChanges()) std::fprintf(stderr, "%s\n", x11::noDamageNotice());
    frames_ = x11::FrameExtents::open();
    buttons_ = x11::PointerButtons::open();
    ready();
  }

  ScreenSource& screen() override { return *screen_; }

  std::function<bool()> leftButtonHeld() override {
    if (!buttons_) return {};
    return [this] { return buttons_->leftHeld(); };
  }

  void wire(qt::QtBackend& toolkit, FormRuntime& runtime, SessionEnding& ending) override {
    toolkit.showViewsThrough([](uint64_t window) -> std::unique_ptr<FrameOutput> {
      return x11::X11ViewOutput::open(static_cast<uint32_t>(window));
    });
    if (!frames_) return;
    toolkit.attach(*frames_);
    // A new frame changes the outer size without resizing the client area.
    frameNotices_ = std::make_unique<QSocketNotifier>(frames_->noticeDescriptor(),
                                                      QSocketNotifier::Read);
    QObject::connect(frameNotices_.get(), &QSocketNotifier::activated, frameNotices_.get(),
                     [this, &toolkit, &runtime, &ending] {
                       if (frames_->poll()) runtime.frameChanged();
                       toolkit.followFrame();
                       if (frames_->windowDestroyed()) ending.end(windowDestroyed());
                     });
  }

 private:
  // Nothing can be shown any more; the window's closing still runs, so the
  // program gives back what it holds.
  Ending windowDestroyed() const {
    char cause[64];
    std::snprintf(cause, sizeof cause, "DestroyNotify für das Fenster 0x%x", frames_->window());
    return {kWindowDestroyed, cause, 1};
  }

  std::unique_ptr<x11::X11ScreenSource> screen_;
  std::unique_ptr<x11::FrameExtents> frames_;
  std::unique_ptr<x11::PointerButtons> buttons_;
  std::unique_ptr<QSocketNotifier> frameNotices_;
};

}  // namespace

std::unique_ptr<SessionKind> makeX11Session() { return std::make_unique<X11Session>(); }

}  // namespace lupe
