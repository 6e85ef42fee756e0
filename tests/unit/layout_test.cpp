#include <gtest/gtest.h>

#include "app/frm_lupe.hpp"
#include "tests/unit/fake_host.hpp"

namespace lupe::test {
namespace {

// Line2 across the whole view and Line1 from its top to its bottom, crossing
// at 1 / 2.01 of its outer size, where Image1's top-left corner sits.
void expectCrosshairOnTheView(const frmLupe& f) {
  const float w = f.Picture1.Width, h = f.Picture1.Height;
  EXPECT_EQ(f.Line2.X1.get(), 0.0f);
  EXPECT_EQ(f.Line2.X2.get(), w);
  EXPECT_EQ(f.Line1.Y1.get(), 0.0f);
  EXPECT_EQ(f.Line1.Y2.get(), h);
  EXPECT_NEAR(f.Line1.X1, w / 2.01, 1e-3);
  EXPECT_NEAR(f.Line2.Y1, h / 2.01, 1e-3);
  EXPECT_EQ(f.Line1.X2.get(), f.Line1.X1.get());
  EXPECT_EQ(f.Line2.Y2.get(), f.Line2.Y1.get());
  EXPECT_EQ(f.Image1.Left.get(), f.Line1.X1.get());
  EXPECT_EQ(f.Image1.Top.get(), f.Line2.Y1.get());
  EXPECT_EQ(f.Picture1.Left + f.Picture1.Top, 0.0f);
}

TEST(Layout, TheViewIsTheOuterSizeInTwipsOver12Point1And12Point8) {
  Rig rig;  // 586 x 292 px at 15 twips a pixel
  frmLupe& f = rig.form;
  EXPECT_EQ(f.Width(), 8790.0f);
  EXPECT_EQ(f.Height(), 4380.0f);
  f.Form_Resize();
  EXPECT_EQ(f.Picture1.Width.get(), 726.4462890625f);
  EXPECT_EQ(f.Picture1.Height.get(), 342.1875f);
  EXPECT_EQ(f.Picture1.ScaleWidth(), 726.0f);
  EXPECT_EQ(f.Picture1.ScaleHeight(), 342.0f);
  EXPECT_NEAR(f.Line1.X1, 361.42, 0.005);
  EXPECT_NEAR(f.Line2.Y1, 170.24, 0.005);
  expectCrosshairOnTheView(f);

  Rig dense(12.0);  // the divisors apply to twips whatever the density
  dense.host.outer = {733, 365};
  dense.form.Form_Resize();
  EXPECT_NEAR(dense.form.Picture1.Width, 8796 / 12.1, 1e-3);
  EXPECT_EQ(dense.form.Picture1.Height.get(), 342.1875f);
}

TEST(Layout, EveryResizeLaysItOutAgainAndARefusedWidthLeavesThePreviousOne) {
  Rig rig;
  for (const PixelSize size : {PixelSize{1920, 1080}, {160, 28}, {0, 0}, {3, 1}, {586, 292}}) {
    rig.host.outer = size;
    rig.form.Form_Resize();
    EXPECT_NEAR(rig.form.Picture1.Width, size.width * 15 / 12.1, 1e-3);
    EXPECT_NEAR(rig.form.Picture1.Height, size.height * 15 / 12.8, 1e-3);
    expectCrosshairOnTheView(rig.form);
  }
  rig.host.refuse(rig.form.Picture1, PropertyId::Width);
  rig.host.outer = {1000, 500};
  rig.form.Form_Resize();
  EXPECT_EQ(rig.form.Picture1.Width.get(), 726.4462890625f);
  EXPECT_EQ(rig.form.Picture1.Height.get(), 585.9375f);
  expectCrosshairOnTheView(rig.form);
  EXPECT_TRUE(rig.host.reports.empty());
}

}  // namespace
}  // namespace lupe::test
