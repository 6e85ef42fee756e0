#pragma once

#include "pixels.hpp"

namespace lupe::e2e {

// Twips per pixel of the screen the program runs on: 15 at 96 dpi (the
// default), 7.5 on a screen of twice that density.
double twipsPerPixel();
void setTwipsPerPixel(double twips);

// Where the window's controls lie, in client coordinates, from their twips
// in the window definition at twipsPerPixel() (rounded half to even).
// Controls of the settings panel are given in the client too: the panel's
// own position added.

// The buttons over the view: "Exit" (0, 0, 732 x 372) and "Einstellung"
// (720, 0, 1572 x 372).
Rect exitButtonRect();
Rect settingsButtonRect();

// The settings panel Frame1 (720, 0, 6495 x 1695).
Rect panelRect();
// In the panel: "Schwarz" (2640, 120, 1092 x 372), "Rot" (3840, 120,
// 852 x 372), "Einstellungs Fenster schließen" (2520, 1200, 3852 x 375) and
// the zoom slider (120, 240, 2412 x 312).
Rect blackWhiteButtonRect();
Rect colourButtonRect();
Rect closePanelButtonRect();
Rect zoomSliderRect();
// "Lupe immer im Vordergrund" (2520, 960, 3375 x 252) in the panel.
Rect topmostBoxRect();
// The crosshair's width button "Fett" (120, 1200, 852 x 372), its dash
// button (960, 1200, 1452 x 372) and the arrow button "Pfeil" (5520, 120,
// 852 x 852), in the panel.
Rect widthButtonRect();
Rect dashButtonRect();
Rect arrowButtonRect();

}  // namespace lupe::e2e
