#include <cstdint>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "app/frm_lupe.hpp"
#include "tests/unit/fake_host.hpp"

namespace lupe::test {
namespace {

// What a click wrote, in order: "Line1.BorderColor" for "write Line1.BorderColor".
Journal writes(const Journal& journal) {
  Journal names;
  for (const std::string& entry : entries(journal, "write ")) names.push_back(entry.substr(6));
  return names;
}

struct Toggle {
  const char* name;
  std::function<void(frmLupe&)> click;
  std::function<std::string(frmLupe&)> state;  // every property it writes, as text
  std::string first, second;                   // the state after one click and after two
};

std::string lines(frmLupe& f) {
  return std::to_string(f.Line1.BorderColor) + "/" + std::to_string(f.Line2.BorderColor) + " w" +
         std::to_string(f.Line1.BorderWidth) + "/" + std::to_string(f.Line2.BorderWidth) + " s" +
         std::to_string(f.Line1.BorderStyle) + "/" + std::to_string(f.Line2.BorderStyle) +
         (f.Line1.Visible && f.Line2.Visible ? " shown" : " hidden");
}
std::string labels(frmLupe& f) {
  return " labels " + std::to_string(f.Label1.ForeColor) + "/" + std::to_string(f.Label2.ForeColor);
}

TEST(CrosshairToggles, EachCyclesThroughItsTwoRowsAndShowsTheLines) {
  // 0x000000FF, 0x0000FF00, 0x00FFFFFF, and the system colour 0x80000008.
  const std::string red = "255", green = "65280", white = "16777215", text = "2147483656";
  const Toggle toggles[] = {
      {"Command1", [](frmLupe& f) { f.Command1_Click(); },
       [](frmLupe& f) {
         return lines(f) + " " + f.Command1.Caption.get() + " on " +
                std::to_string(f.Command1.BackColor) + labels(f);
       },
       red + "/" + red + " w1/1 s1/1 shown Grün on " + green + " labels " + red + "/" + red,
       green + "/" + green + " w1/1 s1/1 shown Rot on " + red + " labels " + green + "/" + green},
      {"Command2", [](frmLupe& f) { f.Command2_Click(); },
       [](frmLupe& f) { return lines(f) + " " + f.Command2.Caption.get(); },
       green + "/" + green + " w3/3 s1/1 shown Dünn",
       green + "/" + green + " w1/1 s1/1 shown Fett"},
      {"Command4", [](frmLupe& f) { f.Command4_Click(); },
       [](frmLupe& f) {
         return lines(f) + " " + f.Command4.Caption.get() + " on " +
                std::to_string(f.Command4.BackColor) + labels(f);
       },
       text + "/" + text + " w1/1 s1/1 shown Weiss on " + white + " labels " + text + "/" + text,
       white + "/" + white + " w1/1 s1/1 shown Schwarz on " + "8421504" + " labels " + white + "/" +
           white},
  };
  for (const Toggle& t : toggles) {
    Rig rig;
    rig.form.Line1.Visible.initialize(false);  // a click shows hidden lines too
    t.click(rig.form);
    EXPECT_EQ(t.state(rig.form), t.first) << t.name;
    t.click(rig.form);
    EXPECT_EQ(t.state(rig.form), t.second) << t.name;
  }
  // The statement order: lines, caption, face, labels, then both lines shown.
  Rig rig;
  rig.form.Command1_Click();
  EXPECT_EQ(
      writes(rig.journal),
      (Journal{"Line1.BorderColor", "Line2.BorderColor", "Command1.Caption", "Command1.BackColor",
               "Label1.ForeColor", "Label2.ForeColor", "Line1.Visible", "Line2.Visible"}));
}

TEST(CrosshairToggles, TheDashButtonsFirstClickOnlyMakesTheLinesSolid) {
  Rig rig;
  const char* expected[][2] = {{"1", "Strich ---"}, {"2", "Linie ___"}, {"1", "Strich ---"}};
  for (const auto& [style, caption] : expected) {
    rig.form.Command5_Click();
    EXPECT_EQ(
        std::to_string(rig.form.Line1.BorderStyle) + std::to_string(rig.form.Line2.BorderStyle),
        std::string(style) + style);
    EXPECT_EQ(rig.form.Command5.Caption.get(), caption);
    EXPECT_EQ(rig.form.Line1.BorderWidth.get(), 1);
  }
}

TEST(CrosshairToggles, AFailingStatementIsSkippedAndTheRestStillRun) {
  Rig rig;
  rig.host.refuse(rig.form.Line1, PropertyId::BorderColor);
  rig.form.Command4_Click();
  EXPECT_EQ(rig.form.Line1.BorderColor.get(), 0x0000FF00u);
  EXPECT_EQ(rig.form.Line2.BorderColor.get(), 0x80000008u);
  EXPECT_EQ(rig.form.Command4.Caption.get(), "Weiss");
  EXPECT_TRUE(rig.host.reports.empty());
}

TEST(CrosshairToggles, ColourButtonsShareTheLinesButKeepTheirOwnCaptions) {
  Rig rig;
  rig.form.Command1_Click();  // "Rot"
  rig.form.Command4_Click();  // "Schwarz"
  EXPECT_EQ(rig.form.Line1.BorderColor.get(), 0x80000008u);
  EXPECT_EQ(rig.form.Command1.Caption.get(), "Grün");
  // The arrow brought back after "Rot" gives green lines; "Rot" still reads "Grün".
  rig.form.Command3_Click();
  rig.form.Command3_Click();
  EXPECT_EQ(rig.form.Line1.BorderColor.get(), 0x0000FF00u);
  EXPECT_EQ(rig.form.Line2.BorderColor.get(), 0x0000FF00u);
  EXPECT_EQ(rig.form.Command1.Caption.get(), "Grün");
  EXPECT_EQ(rig.form.Command4.Caption.get(), "Weiss");
}

TEST(ArrowMarker, SwapsWithTheCrosshairAndSitsOnTheCrosshairPoint) {
  Rig rig;
  rig.form.Image1.Visible.initialize(false);
  rig.form.Picture1.Width.initialize(578.0f);
  rig.form.Picture1.Height.initialize(201.0f);
  rig.form.Command3_Click();
  EXPECT_TRUE(rig.form.Image1.Visible.get());
  EXPECT_EQ(rig.form.Image1.Left.get(), static_cast<float>(578.0 / 2.01));
  EXPECT_EQ(rig.form.Image1.Top.get(), 100.0f);
  EXPECT_EQ(rig.form.Image1.Width.get(), 98.0f);
  EXPECT_EQ(rig.form.Image1.Height.get(), 100.0f);
  EXPECT_TRUE(rig.form.Image1.Stretch.get());
  EXPECT_FALSE(rig.form.Line1.Visible.get() || rig.form.Line2.Visible.get());
  EXPECT_EQ(rig.form.Command3.Caption.get(), "Pfeil X");
  EXPECT_EQ(writes(rig.journal), (Journal{"Image1.Visible", "Image1.Left", "Image1.Top",
                                          "Image1.Stretch", "Image1.Height", "Image1.Width",
                                          "Line1.Visible", "Line2.Visible", "Command3.Caption"}));

  // A crosshair toggle in the arrow state shows the lines beside the arrow.
  rig.form.Command2_Click();
  EXPECT_TRUE(rig.form.Line1.Visible.get() && rig.form.Image1.Visible.get());
  EXPECT_EQ(rig.form.Command3.Caption.get(), "Pfeil X");
  rig.journal.clear();
  rig.form.Command3_Click();
  EXPECT_FALSE(rig.form.Image1.Visible.get());
  EXPECT_EQ(rig.form.Command3.Caption.get(), "Pfeil");
  EXPECT_EQ(writes(rig.journal),
            (Journal{"Line1.BorderColor", "Line2.BorderColor", "Command3.Caption", "Line1.Visible",
                     "Line2.Visible", "Image1.Visible"}));
  EXPECT_EQ(rig.form.Line1.BorderWidth.get(), 3);  // width and dashes stay

  Rig empty;
  empty.form.Picture1.Width.initialize(0.0f);
  empty.form.Picture1.Height.initialize(0.0f);
  empty.form.Command3_Click();
  EXPECT_EQ(empty.form.Image1.Left.get(), 0.0f);
  EXPECT_EQ(empty.form.Image1.Top.get(), 0.0f);
}

TEST(ArrowMarker, AFailureStopsTheClickThereAndIsReported) {
  Rig rig;
  rig.form.Image1.Visible.initialize(false);
  rig.host.refuse(rig.form.Image1, PropertyId::Stretch);
  rig.form.Command3.Click.raise();
  ASSERT_EQ(rig.host.reports.size(), 1u);
  EXPECT_EQ(rig.host.reports[0].number(), 380);
  EXPECT_TRUE(rig.form.Image1.Visible.get());  // what ran stays done
  EXPECT_EQ(rig.form.Image1.Width.get(), 32.0f);
  EXPECT_TRUE(rig.form.Line1.Visible.get());
  EXPECT_EQ(rig.form.Command3.Caption.get(), "Pfeil");
  // The program goes on: the next click runs again.
  rig.form.Command1.Click.raise();
  EXPECT_EQ(rig.form.Command1.Caption.get(), "Grün");
}

}  // namespace
}  // namespace lupe::test
