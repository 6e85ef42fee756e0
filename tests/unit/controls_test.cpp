#include <cstdint>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "platform/controls/controls.hpp"
#include "platform/controls/form.hpp"
#include "platform/runtime/conversions.hpp"
#include "platform/runtime/statements.hpp"
#include "tests/unit/fake_host.hpp"

namespace lupe::test {
namespace {

TEST(Slider, DraggingRaisesScrollAndLettingGoOrAKeyRaisesChangeOnlyForANewPosition) {
  Journal journal;
  FakeHost host{journal};
  Form form{host, "Form1"};
  Slider slider{form, "Slider1"};
  slider.Value.initialize(3);
  int scrolls = 0, changes = 0;
  slider.Scroll.bind([&] { ++scrolls; });
  slider.Change.bind([&] { ++changes; });
  auto counts = [&] { return std::pair{scrolls, changes}; };

  slider.userScrolled(4);
  slider.userScrolled(3);
  slider.userChanged(3);  // let go where the window definition had it
  EXPECT_EQ(counts(), std::pair(2, 0));
  slider.userScrolled(5);
  slider.userChanged(5);
  EXPECT_EQ(counts(), std::pair(3, 1));
  EXPECT_EQ(slider.Value.get(), 5);
  slider.userChanged(6);  // a key step
  slider.userChanged(6);
  EXPECT_EQ(counts(), std::pair(3, 2));
  slider.Value = 6;  // writing what it holds changes nothing
  slider.Value = 2;  // moved by code: Change, and 2 is the position reported
  slider.userChanged(2);
  EXPECT_EQ(counts(), std::pair(3, 3));
  EXPECT_EQ(entries(journal, "change Slider1.Value").size(), 5u);  // the backend is told of each
}

TEST(RunTimeErrors, AnErrorNoHandlerSkipsEndsTheHandlerThereIsReportedAndTheRaiserGoesOn) {
  Journal journal;
  FakeHost host{journal};
  Form form{host, "Form1"};
  CommandButton button{form, "Command1"};
  Label label{form, "Label1"};
  Slider slider{form, "Slider1"};
  button.Click.bind([&] {
    label.Caption = std::string("vorher");
    label.Caption = "Faktor " + decimalText(int64_t{toInt16(40000.0)});
    label.Caption = std::string("nachher");
  });
  button.Click.raise();
  EXPECT_EQ(label.Caption.get(), "vorher");
  ASSERT_EQ(host.reports.size(), 1u);
  EXPECT_EQ(host.reports[0].number(), 6);
  EXPECT_EQ(host.reports[0].text(), "Überlauf");

  // An error in the Change that a write raises stays in that Change: the
  // write itself holds and the writing statement goes on.
  slider.Change.bind([&] {
    label.Caption = std::string("geändert");
    slider.Value = 99;  // beyond Max
    label.Caption = std::string("nie");
  });
  bool wentOn = false;
  step([&] {
    slider.Value = 4;
    wentOn = true;
  });
  EXPECT_TRUE(wentOn);
  EXPECT_EQ(slider.Value.get(), 4);
  EXPECT_EQ(label.Caption.get(), "geändert");
  ASSERT_EQ(host.reports.size(), 2u);
  EXPECT_EQ(host.reports[1].number(), 380);
}

}  // namespace
}  // namespace lupe::test
