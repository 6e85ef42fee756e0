#include <functional>
#include <string>
#include <vector>

#include <stdexcept>

#include <gtest/gtest.h>

#include "platform/controls/controls.hpp"
#include "platform/controls/form.hpp"
#include "platform/controls/form_runtime.hpp"
#include "tests/unit/fake_host.hpp"

namespace lupe::test {
namespace {

// A toolkit without widgets: records what the runtime asks of it, and runs
// `session` (the user and the window system) as its event loop.
class FakeToolkit final : public WindowToolkit {
 public:
  explicit FakeToolkit(Journal& journal) : journal_(journal) {}

  WindowId createWindow(Form&) override { return log("create"), 77; }
  void showWindow() override { log("show"); }
  void hideWindow() override { log("hide"); }
  void showProperty(const Control& control, PropertyId id) override {
    log("show " + control.name() + "." + std::string(propertyName(id)));
  }
  void showRedrawnView(const PictureBox& view) override { log("redraw " + view.name()); }
  void setTimer(const Timer& timer, int32_t interval) override {
    log("timer " + timer.name() + " " + std::to_string(interval));
  }
  void setTabOrder(const std::vector<const Control*>& order) override {
    std::string names = "tabs";
    for (const Control* control : order) names += " " + control->name();
    log(names);
  }
  PixelSize outerSize() override { return outer; }
  double twipsPerPixel() const override { return 15.0; }
  void reportError(const std::string& line) override { log(line); }
  int runEventLoop() override {
    log("loop");
    if (session) session();
    return 3;
  }
  void quitEventLoop(int status) override { log("quit " + std::to_string(status)); }

  PixelSize outer{300, 200};
  std::function<void()> session;

 private:
  void log(std::string entry) { journal_.push_back(std::move(entry)); }
  Journal& journal_;
};

// Hands out handles and counts those still held.
class FakeHandles final : public OwnHandles {
 public:
  Handle registerWindow(WindowId) override { return ++held, 0x40; }
  void unregisterWindow(Handle) override { --held; }
  Handle registerSurface(Surface&, std::function<void()> drawn) override {
    drawnSurface = std::move(drawn);
    return ++held, 0x50;
  }
  void unregisterSurface(Handle) override { --held; }
  int held = 0;
  std::function<void()> drawnSurface;
};

// A small window: a button, a view and a timer, each event journalled.
struct Window {
  explicit Window(Journal& journal) : toolkit(journal), runtime(toolkit, &handles) {
    button.TabIndex.initialize(2);
    view.TabIndex.initialize(1);
    timer.Interval.initialize(25);
    form.Load.bind([&] { journal.push_back("Load"); });
    form.Resize.bind([&] { journal.push_back("Resize"); });
    form.Unload.bind([&](int16_t& cancel) {
      journal.push_back("Unload");
      cancel = cancelUnload;
    });
    timer.Tick.bind([&] { journal.push_back("Tick"); });
  }
  FakeToolkit toolkit;
  FakeHandles handles;
  FormRuntime runtime;
  Form form{runtime, "Form1"};
  CommandButton button{form, "Command1"};
  Label label{form, "Label1"};
  PictureBox view{form, "Picture1"};
  lupe::Timer timer{form, "Timer1"};
  int16_t cancelUnload = 0;
};

TEST(FormRuntime, LoadsThenShowsThenStartsTheTimersAndDeliversEventsOnlyWhileLive) {
  Journal journal;
  Window w{journal};
  w.form.Load.bind([&] {
    journal.push_back("Load");
    w.runtime.windowResized();  // before the first showing: nothing
  });
  w.toolkit.session = [&] {
    w.runtime.timerFired(w.timer);
    w.toolkit.outer = {320, 200};
    w.runtime.windowResized();
    w.runtime.frameChanged();  // the size the last Resize stood for: nothing
    w.toolkit.outer = {330, 210};
    w.runtime.frameChanged();  // a new frame, a new outer size
    w.timer.Interval = 50;     // a new period counts from now
    EXPECT_TRUE(w.runtime.closeRequested());
    w.runtime.timerFired(w.timer);  // a tick already queued: not delivered
    w.runtime.windowResized();
    EXPECT_TRUE(w.runtime.closeRequested());  // Unload runs once
  };
  EXPECT_EQ(w.runtime.run(w.form), 3);
  // The first showing raises Resize before focus and timers, whatever the
  // window system told while it mapped the window.
  EXPECT_EQ(journal, (Journal{"create", "Load", "show", "Resize", "tabs Picture1 Command1",
                              "timer Timer1 25", "loop", "Tick", "Resize", "Resize",
                              "timer Timer1 50", "Unload", "timer Timer1 0", "hide", "quit 0"}));
  EXPECT_EQ(w.handles.held, 0);
}

TEST(FormRuntime, HandlesAreHeldUntilUnloadAndACancelledUnloadKeepsEverything) {
  Journal journal;
  Window w{journal};
  w.toolkit.session = [&] {
    EXPECT_EQ(w.form.hWnd(), 0x40);
    EXPECT_EQ(w.view.hDC(), 0x50);
    EXPECT_EQ(w.view.hDC(), 0x50);  // one device context per view
    EXPECT_EQ(w.handles.held, 2);
    w.handles.drawnSurface();  // drawing through it shows the view anew
    w.cancelUnload = 1;
    EXPECT_FALSE(w.runtime.closeRequested());
    w.runtime.timerFired(w.timer);
    w.cancelUnload = 0;
    w.form.UnloadWindow();
    EXPECT_THROW(w.view.hDC(), RuntimeError);
    EXPECT_THROW(w.form.hWnd(), RuntimeError);
  };
  w.runtime.run(w.form);
  EXPECT_EQ(entries(journal, "redraw Picture1"), (Journal{"redraw Picture1"}));
  EXPECT_EQ(entries(journal, "Tick").size(), 1u);
  EXPECT_EQ(entries(journal, "Unload").size(), 2u);
  EXPECT_EQ(w.handles.held, 0);
}

// A tick clears the view, then draws it: shown once, when the tick is done.
TEST(FormRuntime, AViewClearedAndDrawnByAnEventIsShownOnceWhenTheEventIsDone) {
  Journal journal;
  Window w{journal};
  w.toolkit.session = [&] {
    w.view.hDC();
    w.runtime.deliver([&] {
      for (int i = 0; i < 2; ++i) {
        w.view.Cls();
        w.handles.drawnSurface();
      }
      EXPECT_TRUE(entries(journal, "redraw Picture1").empty()) << "shown before the event ended";
    });
    EXPECT_EQ(entries(journal, "redraw Picture1"), (Journal{"redraw Picture1"}));
    journal.clear();
    // An event that ends by an exception does not keep later ones from showing.
    EXPECT_THROW(w.runtime.deliver([] { throw std::runtime_error("lost"); }), std::runtime_error);
    w.runtime.deliver([&] { w.view.Cls(); });  // a clear alone shows the cleared view
    EXPECT_EQ(entries(journal, "redraw Picture1"), (Journal{"redraw Picture1"}));
    journal.clear();
    // Ticks that come while an event waits in a modal loop (a window move on
    // Windows) show their views each as it ends.
    w.timer.Tick.bind([&] { w.handles.drawnSurface(); });
    w.runtime.deliver([&] {
      w.runtime.timerFired(w.timer);
      EXPECT_EQ(entries(journal, "redraw Picture1"), (Journal{"redraw Picture1"}));
    });
  };
  w.runtime.run(w.form);
}

TEST(FormRuntime, EndingOrClosingDuringLoadNeverShowsTheWindowNorStartsATimer) {
  for (const bool end : {true, false}) {
    Journal journal;
    Window w{journal};
    w.form.Load.bind([&] { end ? w.form.EndProgram() : w.form.UnloadWindow(); });
    EXPECT_EQ(w.runtime.run(w.form), 0);
    EXPECT_EQ(entries(journal, "show").size(), 0u) << end;
    EXPECT_EQ(entries(journal, "loop").size(), 0u) << end;
    EXPECT_EQ(entries(journal, "timer Timer1 25").size(), 0u) << end;
  }
}

TEST(FormRuntime, TheWindowSystemsStateComesBackSoThatCodeIsHeardAgainAndMouseIsInPixels) {
  Journal journal;
  Window w{journal};
  std::vector<std::string> mouse;
  w.form.MouseUp.bind([&](int16_t button, int16_t shift, float x, float y) {
    mouse.push_back(std::to_string(button) + " " + std::to_string(shift) + " " +
                    std::to_string(static_cast<int>(x)) + " " +
                    std::to_string(static_cast<int>(y)));
  });
  w.form.Show();  // before the first showing the runtime shows it, after Load
  w.toolkit.session = [&] {
    w.form.WindowState = int16_t{2};
    w.runtime.windowStateChanged(2);  // granted: not asked for again
    w.runtime.windowStateChanged(0);  // restored by the user
    w.form.WindowState = int16_t{2};  // heard again
    w.form.Show();
    w.runtime.formMouse(FormRuntime::Mouse::Up, 1, 0, 5, 5);  // its press was not on the form
    w.label.Left.initialize(100.0f);
    w.label.Width.initialize(50.0f);
    w.label.Height.initialize(20.0f);
    w.runtime.formMouse(FormRuntime::Mouse::Down, 1, 0, 110, 5);  // on the label: its own
    w.runtime.formMouse(FormRuntime::Mouse::Up, 1, 0, 110, 5);
    w.runtime.formMouse(FormRuntime::Mouse::Down, 2, 0, 10, 3);
    w.runtime.formMouse(FormRuntime::Mouse::Up, 2, 1, 10, 3);
    w.runtime.formMouse(FormRuntime::Mouse::Up, 2, 1, 10, 3);  // released once
  };
  w.runtime.run(w.form);
  EXPECT_EQ(entries(journal, "show"),
            (Journal{"show", "show Form1.WindowState", "show Form1.WindowState", "show"}));
  EXPECT_EQ(w.form.WindowState.get(), 2);
  EXPECT_EQ(mouse, (std::vector<std::string>{"2 1 10 3"}));
}

}  // namespace
}  // namespace lupe::test
