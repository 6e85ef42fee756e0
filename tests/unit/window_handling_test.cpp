#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "app/frm_lupe.hpp"
#include "tests/unit/fake_host.hpp"

namespace lupe::test {
namespace {

TEST(Check1Click, OnlyATickOfExactlyOneKeepsTheWindowAbove) {
  const struct {
    int16_t value;
    Handle after;
  } cases[] = {{1, HWND_TOPMOST}, {0, HWND_NOTOPMOST}, {2, HWND_NOTOPMOST}};
  for (const auto& c : cases) {
    Rig rig;
    rig.form.Check1.userClicked(c.value);
    EXPECT_EQ(rig.desktop.argsOf("SetWindowPos"),
              (std::vector<Args>{{rig.host.hWnd, c.after, 0, 0, 0, 0, 3}}))
        << c.value;
  }
}

TEST(Picture1MouseDown, LeftDragsByTheCaptionRightShowsMiddleDoesNothing) {
  const struct {
    int16_t button;
    Journal calls;
  } cases[] = {{1, {"hWnd", "ReleaseCapture", "SendMessageA"}}, {2, {"show"}}, {4, {}}};
  for (const auto& c : cases) {
    Rig rig;
    rig.form.Picture1.MouseDown.raise(c.button, 0, 10.0f, 20.0f);
    EXPECT_EQ(rig.journal, c.calls) << c.button;
    if (c.button == 1) {
      EXPECT_EQ(rig.desktop.argsOf("SendMessageA"),
                (std::vector<Args>{{rig.host.hWnd, WM_NCLBUTTONDOWN, HTCAPTION, 0}}));
    }
  }
  Rig noWindow;  // without a handle the drag is skipped, the right-button test still made
  noWindow.host.hWnd = 0;
  noWindow.form.Picture1.MouseDown.raise(1, 0, 0.0f, 0.0f);
  EXPECT_EQ(noWindow.journal, (Journal{"hWnd"}));
  EXPECT_TRUE(noWindow.host.reports.empty());
}

TEST(Picture1DblClick, MaximisesAndAFailureEndsItWithAReport) {
  Rig rig;
  rig.form.Picture1.DblClick.raise();
  EXPECT_EQ(rig.form.WindowState.get(), 2);
  EXPECT_TRUE(rig.host.reports.empty());

  Rig refused;
  refused.host.refuse(refused.form, PropertyId::WindowState);
  refused.form.Picture1.DblClick.raise();
  EXPECT_EQ(refused.form.WindowState.get(), 0);
  ASSERT_EQ(refused.host.reports.size(), 1u);
  EXPECT_EQ(refused.host.reports[0].number(), 380);
}

TEST(FormMouseUp, TakesRateAndDesktopAnewEachStepOnItsOwn) {
  // 1000 / 80 = 12.5 rounds to the even 12, whose Change sets the period to
  // 1000 / 12; a period of 0 fails its division and leaves the slider.
  struct Case {
    int32_t period, slider, periodAfter;
    const char* label;
  };
  for (const Case c : {Case{80, 12, 83, "Abtastrate: 83"}, Case{0, 40, 0, "Abtastrate: 25"}}) {
    SCOPED_TRACE(c.period);
    Rig rig;
    rig.form.Form_Load();
    rig.form.Timer1.Interval.initialize(c.period);
    rig.journal.clear();
    rig.form.MouseDown.raise(1, 0, 0.0f, 0.0f);
    EXPECT_TRUE(rig.journal.empty());
    rig.form.MouseUp.raise(2, 0, 0.0f, 0.0f);
    EXPECT_EQ(rig.form.Slider2.Value.get(), c.slider);
    EXPECT_EQ(rig.form.Timer1.Interval.get(), c.periodAfter);
    EXPECT_EQ(rig.form.Label2.Caption.get(), c.label);
    EXPECT_EQ(entries(rig.journal, "Get"), (Journal{"GetDesktopWindow", "GetDC"}));
    EXPECT_TRUE(rig.host.reports.empty());
  }
}

TEST(FormMouseUp, HoldsExactlyOneDesktopContextHoweverOftenAButtonComesUp) {
  Rig rig;
  rig.form.Form_Load();
  for (int i = 0; i < 1000; ++i) rig.form.MouseUp.raise(1, 0, 0.0f, 0.0f);
  EXPECT_EQ(rig.desktop.taken, 1001);
  EXPECT_EQ(rig.desktop.givenBack, 1000);
  ASSERT_EQ(rig.desktop.held.size(), 1u);
  EXPECT_EQ(rig.desktop.held.begin()->first, rig.form.desktopDC());
  EXPECT_EQ(rig.desktop.held.begin()->second, rig.desktop.desktopWindow);
}

}  // namespace
}  // namespace lupe::test
