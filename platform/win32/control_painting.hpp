#pragma once

#include "platform/win32/windows_api.hpp"

#include "platform/controls/controls.hpp"
#include "platform/controls/view_composer.hpp"

// How the backend draws what the system's controls do not.
namespace lupe::win32 {

// A graphical button: its face in BackColor with a raised edge, sunken while
// pressed; a picture stands above the caption.
void drawButton(const DRAWITEMSTRUCT& item, const CommandButton& button, HFONT font);

// A panel: the face colour, an etched group edge with the caption set into
// its top, and the lines the frame holds by the same pixel rule as the view's.
void paintPanel(HWND window, const Frame& frame, HFONT font, ViewComposer& composer);

}  // namespace lupe::win32
