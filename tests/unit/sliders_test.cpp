#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "app/frm_lupe.hpp"
#include "tests/unit/fake_host.hpp"

namespace lupe::test {
namespace {

TEST(RateSlider, ThePeriodIsTheRoundedReciprocalAndTheLabelTheFlooredOne) {
  Rig rig;
  frmLupe& f = rig.form;
  const struct {
    int32_t rate, period, label;
  } rows[] = {{3, 333, 333}, {6, 167, 166}, {16, 62, 62}, {25, 40, 40},
              {40, 25, 25},  {48, 21, 20},  {50, 20, 20}, {1, 1000, 1000}};
  for (const auto& row : rows) {
    f.Slider2.Value = row.rate;
    EXPECT_EQ(f.Timer1.Interval.get(), row.period) << row.rate;
    EXPECT_EQ(f.Label2.Caption.get(), "Abtastrate: " + std::to_string(row.label)) << row.rate;
  }
}

TEST(RateSlider, SomeRatesComeBackFromTheirPeriodsAsANeighbour) {
  Rig rig;
  const struct {
    int32_t rate, back;
  } rows[] = {{35, 34}, {39, 38}, {41, 42}, {44, 43}, {46, 45}, {47, 48}, {49, 50}, {40, 40}};
  for (const auto& row : rows) {
    rig.form.Slider2.Value = row.rate;
    rig.form.Form_Load();  // derives the rate from the period again
    EXPECT_EQ(rig.form.Slider2.Value.get(), row.back) << row.rate;
  }
}

TEST(RateSlider, ARateOfZeroChangesNothingAndARefusedPeriodStillRelabels) {
  Rig rig;
  frmLupe& f = rig.form;
  f.Slider2.Value = 16;
  f.Slider2.Min.initialize(0);
  f.Slider2.Value = 0;
  EXPECT_EQ(f.Timer1.Interval.get(), 62);
  EXPECT_EQ(f.Label2.Caption.get(), "Abtastrate: 62");
  rig.host.refuse(f.Timer1, PropertyId::Interval);
  f.Slider2.Value = 6;
  EXPECT_EQ(f.Timer1.Interval.get(), 62);
  EXPECT_EQ(f.Label2.Caption.get(), "Abtastrate: 166");
  EXPECT_TRUE(rig.host.reports.empty());
}

TEST(ZoomSlider, TheLabelFollowsWhileDraggingAndOnceMoreWhenLetGo) {
  Rig rig;
  frmLupe& f = rig.form;
  f.Form_Load();
  EXPECT_EQ(f.Label1.Caption.get(), "Vergrößerung: 3");
  f.Slider1.Value = 10;
  EXPECT_EQ(f.Label1.Caption.get(), "Vergrößerung: 10");
  rig.journal.clear();
  f.Slider1.userScrolled(4);
  EXPECT_EQ(f.Label1.Caption.get(), "Vergrößerung: 4");
  f.Slider1.userScrolled(5);
  f.Slider1.userChanged(5);
  f.Slider1.userChanged(6);  // a key step: Change alone
  EXPECT_EQ(f.Label1.Caption.get(), "Vergrößerung: 6");
  EXPECT_EQ(entries(rig.journal, "write Label1.Caption").size(), 4u);
}

}  // namespace
}  // namespace lupe::test
