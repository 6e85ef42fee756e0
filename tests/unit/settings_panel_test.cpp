#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "app/frm_lupe.hpp"
#include "tests/unit/fake_host.hpp"

namespace lupe::test {
namespace {

TEST(SettingsPanel, EinstellungOpensItAndTheCloseButtonClosesItChangingNothingElse) {
  Rig rig;
  frmLupe& f = rig.form;
  f.Form_Load();
  f.Command8.Click.raise();
  f.Slider1.Value = 7;  // settings made in the open panel
  f.Check1.Value = int16_t{0};
  f.Command1.Caption = std::string("Grün");
  rig.journal.clear();
  f.Command7.Click.raise();
  EXPECT_FALSE(f.Frame1.Visible);
  f.Command8.Click.raise();
  f.Command8.Click.raise();  // while it is open already
  EXPECT_TRUE(f.Frame1.Visible);
  // Every change of a property goes through the host: this is all that changed.
  EXPECT_EQ(entries(rig.journal, "change"),
            (Journal{"change Frame1.Visible", "change Frame1.Visible"}));
  EXPECT_EQ(f.Slider1.Value.get(), 7);
  EXPECT_EQ(f.Check1.Value.get(), 0);
  EXPECT_EQ(f.Command1.Caption.get(), "Grün");
  EXPECT_TRUE(f.Slider1.Visible && f.Line1.Visible);
  EXPECT_FALSE(f.Slider2.Visible || f.Label2.Visible);
}

}  // namespace
}  // namespace lupe::test
