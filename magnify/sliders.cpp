#include <string>

#include "app/frm_lupe.hpp"
#include "platform/runtime/conversions.hpp"
#include "platform/runtime/statements.hpp"

namespace lupe {

// The zoom label follows the slider; the next tick reads the zoom itself.
void frmLupe::Slider1_Scroll() {
  step([&] { Label1.Caption = "Vergrößerung: " + decimalText(int64_t{Slider1.Value}); });
}

void frmLupe::Slider1_Change() { Slider1_Scroll(); }

// The rate becomes the timer's period (rounded) and the label's figure
// (rounded down, so it may read one less than the period).
void frmLupe::Slider2_Scroll() {
  step([&] { Timer1.Interval = toInt32(divide(1000.0, Slider2.Value)); });
  step([&] {
    Label2.Caption = "Abtastrate: " + decimalText(floorOf(divide(1000.0, Slider2.Value)));
  });
}

void frmLupe::Slider2_Change() { Slider2_Scroll(); }

}  // namespace lupe
