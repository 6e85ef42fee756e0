#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/frm_lupe.hpp"
#include "tests/unit/fake_host.hpp"

namespace lupe::test {
namespace {

using Names = std::vector<std::string>;

Names names(const std::vector<Control*>& controls) {
  Names out;
  for (const Control* c : controls) out.push_back(c->name());
  return out;
}

TEST(WindowDefinition, TwentyTwoControlsInDefinitionOrderInTheirContainers) {
  Rig rig;
  const frmLupe& f = rig.form;
  const Names all = names(f.controls());
  ASSERT_EQ(all, (Names{"Frame1",   "Command5", "Command3", "Command2", "Command4", "Command1",
                        "Command7", "Slider2",  "Slider1",  "Check1",   "Label2",   "Label1",
                        "Line3",    "Line4",    "Label3",   "Command8", "Command6", "Timer1",
                        "Picture1", "Image1",   "Line2",    "Line1"}));
  EXPECT_EQ(names(f.children()), (Names{"Frame1", "Command8", "Command6", "Timer1", "Picture1"}));
  EXPECT_EQ(names(f.Picture1.children()), (Names{"Image1", "Line2", "Line1"}));
  EXPECT_EQ(names(f.Frame1.children()), Names(all.begin() + 1, all.begin() + 15));
}

TEST(WindowDefinition, TabOrderRunsFromTheViewToEinstellungWithoutGaps) {
  Rig rig;
  std::vector<const PlacedControl*> stops;
  for (const Control* c : rig.form.controls())
    if (const auto* placed = dynamic_cast<const PlacedControl*>(c); placed && placed->TabIndex >= 0)
      stops.push_back(placed);
  std::sort(stops.begin(), stops.end(),
            [](auto* a, auto* b) { return a->TabIndex.get() < b->TabIndex.get(); });
  Names order;
  for (size_t i = 0; i < stops.size(); ++i) {
    EXPECT_EQ(stops[i]->TabIndex.get(), static_cast<int16_t>(i));
    order.push_back(stops[i]->name());
  }
  EXPECT_EQ(order, (Names{"Picture1", "Command6", "Frame1", "Command7", "Check1", "Command1",
                          "Command5", "Command4", "Command2", "Command3", "Slider2", "Slider1",
                          "Label3", "Label1", "Label2", "Command8"}));
}

TEST(WindowDefinition, TheWindowAsMadeAndTheMarkerHiddenByFormLoad) {
  Rig rig;
  frmLupe& f = rig.form;
  EXPECT_EQ(f.Caption.get(), "Tevka - Lupe");
  EXPECT_EQ(f.ClientWidth.get(), 578.0f);
  EXPECT_EQ(f.ClientHeight.get(), 265.0f);
  EXPECT_EQ(f.Picture1.ScaleWidth(), 656.0f);
  EXPECT_EQ(f.Picture1.ScaleHeight(), 400.0f);
  EXPECT_FALSE(f.Frame1.Visible || f.Slider2.Visible || f.Label2.Visible);
  // The captions the toggles compare with, letter for letter.
  EXPECT_EQ(f.Command1.Caption.get() + f.Command2.Caption.get() + f.Command3.Caption.get() +
                f.Command4.Caption.get() + "|" + f.Command5.Caption.get(),
            "RotFettPfeilSchwarz|Striche - - -");
  EXPECT_TRUE(f.Image1.Visible);
  f.Form_Load();
  EXPECT_FALSE(f.Image1.Visible);
}

TEST(WindowDefinition, TheOpenPanelCoversEinstellungAndTheRightEdgeOfExit) {
  Rig rig;
  const frmLupe& f = rig.form;
  EXPECT_EQ(f.Command8.Left.get(), f.Frame1.Left.get());
  EXPECT_EQ(f.Command8.Top.get(), f.Frame1.Top.get());
  EXPECT_LE(f.Command8.Left + f.Command8.Width, f.Frame1.Left + f.Frame1.Width);
  EXPECT_LE(f.Command8.Top + f.Command8.Height, f.Frame1.Top + f.Frame1.Height);
  EXPECT_NEAR(f.Command6.Left + f.Command6.Width - f.Frame1.Left, 0.8, 1e-5);
  EXPECT_EQ(f.children().front(), &f.Frame1);  // earlier lies above
}

TEST(WindowDefinition, TheArrowsTipIsAtTheTopLeftOfOneSharedPicture) {
  Rig rig;
  ASSERT_NE(rig.form.Image1.Picture, nullptr);
  EXPECT_EQ(rig.form.Image1.Picture, rig.form.Command3.Picture);
  const Picture& arrow = *rig.form.Image1.Picture;
  ASSERT_EQ(arrow.width * arrow.height, 32 * 32);
  auto opaque = [&](int x, int y) { return arrow.argb[y * 32 + x] >> 24 == 0xff; };
  EXPECT_TRUE(opaque(2, 0));
  for (int y = 0; y < 32; ++y)  // nothing of the arrow lies left of its tip
    EXPECT_FALSE(opaque(0, y) || opaque(1, y)) << y;
}

}  // namespace
}  // namespace lupe::test
