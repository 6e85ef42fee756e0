#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "app/frm_lupe.hpp"
#include "tests/unit/fake_host.hpp"

namespace lupe::test {
namespace {

constexpr Handle kFirstDC = FakeDesktop::kFirstDC;

TEST(FormLoad, DerivesTheRateInsideItsFirstStepThenTakesTheDesktopAndGoesTopmost) {
  Rig rig;
  frmLupe& f = rig.form;
  f.Form_Load();
  EXPECT_EQ(f.Slider2.Value.get(), 40);
  EXPECT_EQ(f.Timer1.Interval.get(), 25);
  EXPECT_EQ(f.Label2.Caption.get(), "Abtastrate: 25");
  EXPECT_EQ(rig.journal,
            (Journal{"write Slider2.Value", "change Slider2.Value", "write Timer1.Interval",
                     "write Label2.Caption", "GetDesktopWindow", "GetDC", "write Image1.Visible",
                     "change Image1.Visible", "hWnd", "SetWindowPos"}));
  EXPECT_EQ(rig.desktop.argsOf("GetDC"), std::vector<Args>{{rig.desktop.desktopWindow}});
  EXPECT_EQ(f.desktopWindow(), rig.desktop.desktopWindow);
  EXPECT_EQ(f.desktopDC(), kFirstDC);
  EXPECT_EQ(rig.desktop.argsOf("SetWindowPos"),
            (std::vector<Args>{{rig.host.hWnd, HWND_TOPMOST, 0, 0, 0, 0, 3}}));
}

TEST(FormLoad, TheRateIsThePeriodsReciprocalRoundedHalfToEvenAndThePeriodFollowsIt) {
  const struct {
    int32_t interval, rate, period;
    const char* label;
  } cases[] = {{80, 12, 83, "Abtastrate: 83"},     // 12.5 goes to 12, and 1000 / 12 = 83.3
               {48, 21, 48, "Abtastrate: 47"},     // 20.83 goes to 21, and 1000 / 21 = 47.6
               {1000, 1, 1000, "Abtastrate: 25"},  // the slider holds 1 already: no Change
               {10, 1, 10, "Abtastrate: 25"},      // 100 lies beyond the slider's range
               {5000, 1, 5000, "Abtastrate: 25"},  // 0.2 rounds to 0, below it
               {0, 1, 0, "Abtastrate: 25"}};       // division by zero
  for (const auto& c : cases) {
    Rig rig;
    rig.form.Timer1.Interval.initialize(c.interval);
    rig.form.Form_Load();
    EXPECT_EQ(rig.form.Slider2.Value.get(), c.rate) << c.interval;
    EXPECT_EQ(rig.form.Timer1.Interval.get(), c.period) << c.interval;
    EXPECT_EQ(rig.form.Label2.Caption.get(), c.label) << c.interval;
    EXPECT_EQ(entries(rig.journal, "SetWindowPos").size(), 1u);
  }
}

TEST(FormLoad, AFailingStepIsSkippedAndAFailingDesktopStoredAsZero) {
  Rig refused;
  refused.host.refuse(refused.form.Slider2, PropertyId::Value);
  refused.form.Form_Load();
  EXPECT_EQ(refused.form.Slider2.Value.get(), 1);
  EXPECT_EQ(refused.journal,
            (Journal{"write Slider2.Value", "GetDesktopWindow", "GetDC", "write Image1.Visible",
                     "change Image1.Visible", "hWnd", "SetWindowPos"}));
  Rig failing;
  failing.desktop.desktopWindow = 0;
  failing.desktop.getDCFails = true;
  failing.host.hWnd = 0;
  failing.form.Form_Load();
  EXPECT_EQ(failing.form.desktopWindow(), 0);
  EXPECT_EQ(failing.form.desktopDC(), 0);
  EXPECT_EQ(failing.desktop.argsOf("GetDC"), std::vector<Args>{{0}});
  EXPECT_TRUE(failing.desktop.argsOf("SetWindowPos").empty());  // no handle to ask with
  EXPECT_FALSE(failing.form.Image1.Visible);
  EXPECT_TRUE(refused.host.reports.empty() && failing.host.reports.empty());
}

TEST(Exit, ClosesOnceGivingBackTheContextHeldThenEndsTheProgram) {
  for (int mouseUps : {0, 1}) {  // a mouse-up replaces the held context
    Rig rig;
    rig.form.Form_Load();
    for (int i = 0; i < mouseUps; ++i) rig.form.MouseUp.raise(1, 0, 0.0f, 0.0f);
    const Handle held = rig.form.desktopDC();
    rig.journal.clear();
    rig.form.Command6.Click.raise();
    EXPECT_EQ(rig.journal, (Journal{"unload", "ReleaseDC", "closed", "endProgram"}));
    EXPECT_EQ(rig.desktop.argsOf("ReleaseDC").back(), (Args{rig.desktop.desktopWindow, held}));
    EXPECT_EQ(rig.desktop.givenBack, 1 + mouseUps);
    EXPECT_TRUE(rig.desktop.held.empty());
  }
}

TEST(Exit, ClosingAnotherWayAlsoGivesTheContextBackAndAFailedCloseStillEnds) {
  Rig rig;
  rig.form.Form_Load();
  rig.host.unload(rig.form);
  EXPECT_TRUE(rig.desktop.held.empty());
  EXPECT_EQ(rig.host.ends, 0);

  Rig failing;
  failing.form.Form_Load();
  failing.host.unloadFails = true;
  failing.form.Command6.Click.raise();
  EXPECT_EQ(failing.host.ends, 1);
  EXPECT_EQ(failing.desktop.givenBack, 0);
  EXPECT_TRUE(failing.host.reports.empty());
}

}  // namespace
}  // namespace lupe::test
