#include "app/frm_lupe.hpp"

#include "platform/runtime/conversions.hpp"
#include "platform/runtime/statements.hpp"

namespace lupe {

// Start-up's first three statements, which a mouse-up over the window runs
// again. A device context taken before is given back once the new one is
// held, so that the program holds one however often they run.
void frmLupe::takeRateAndDesktop() {
  const Handle heldWindow = lDesktopWnd, heldDC = lDesktopDC;
  // Derives the rate slider from the timer's period; its Change sets the
  // period back from the rate, within this statement.
  step([&] { Slider2.Value = toInt32(divide(1000.0, Timer1.Interval)); });
  step([&] { lDesktopWnd = desktop_.GetDesktopWindow(); });
  step([&] {
    lDesktopDC = desktop_.GetDC(lDesktopWnd);
    if (heldDC != 0 && heldDC != lDesktopDC) desktop_.ReleaseDC(heldWindow, heldDC);
  });
}

void frmLupe::Form_Load() {
  takeRateAndDesktop();
  step([&] { Image1.Visible = false; });
  step([&] { desktop_.SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE + SWP_NOSIZE); });
}

void frmLupe::Form_Unload(int16_t& /*Cancel*/) {
  // Gives back the device context held now; closing always goes ahead.
  step([&] { desktop_.ReleaseDC(lDesktopWnd, lDesktopDC); });
}

void frmLupe::Command6_Click() {
  step([&] { UnloadWindow(); });
  step([&] { EndProgram(); });
}

}  // namespace lupe
