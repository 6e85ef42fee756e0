#include "app/frm_lupe.hpp"

#include "platform/runtime/statements.hpp"

namespace lupe {

// Only a value of exactly 1 keeps the window above the others; a greyed box
// (2) counts as not ticked.
void frmLupe::Check1_Click() {
  step([&] {
    if (Check1.Value == 1) {
      desktop_.SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE + SWP_NOSIZE);
    } else {
      desktop_.SetWindowPos(hWnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE + SWP_NOSIZE);
    }
  });
}

// The left button drags the window by its view; the right one shows it,
// which leaves a shown window where it is. Two tests, not an else.
void frmLupe::Picture1_MouseDown(int16_t Button, int16_t /*Shift*/, float /*X*/, float /*Y*/) {
  step([&] {
    if (Button == 1) MoveWindow(hWnd());
  });
  step([&] {
    if (Button == 2) Show();
  });
}

// Hands the drag to the window system as if the caption had been pressed.
void frmLupe::MoveWindow(int32_t lHandle) {
  step([&] { desktop_.ReleaseCapture(); });
  step([&] { desktop_.SendMessageA(lHandle, WM_NCLBUTTONDOWN, HTCAPTION, 0); });
}

// No statement is skipped here: a failure ends the handler and is reported.
void frmLupe::Picture1_DblClick() { WindowState = int16_t{2}; }

void frmLupe::Form_MouseDown(int16_t, int16_t, float, float) {}

// Takes the rate and the desktop anew, as start-up does.
void frmLupe::Form_MouseUp(int16_t, int16_t, float, float) { takeRateAndDesktop(); }

}  // namespace lupe
