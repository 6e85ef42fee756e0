#include "app/frm_lupe.hpp"

#include "platform/runtime/conversions.hpp"

namespace lupe {

// Swaps the crosshair for the arrow and back. No statement is skipped: a
// failure ends the handler there and is reported; what ran stays done.
// The arrow's top-left corner, where its tip is, goes on the crosshair point
// (the view's size / 2.01, as the layout places it).
void frmLupe::Command3_Click() {
  if (Command3.Caption.get() == "Pfeil") {
    Image1.Visible = true;
    Image1.Left = toSingle(divide(Picture1.Width, 2.01));
    Image1.Top = toSingle(divide(Picture1.Height, 2.01));
    Image1.Stretch = true;
    Image1.Height = 100.0f;
    Image1.Width = 98.0f;
    Line1.Visible = false;
    Line2.Visible = false;
    Command3.Caption = std::string("Pfeil X");
  } else {
    Line1.BorderColor = kGreen;
    Line2.BorderColor = kGreen;
    Command3.Caption = std::string("Pfeil");
    Line1.Visible = true;
    Line2.Visible = true;
    Image1.Visible = false;
  }
}

}  // namespace lupe
