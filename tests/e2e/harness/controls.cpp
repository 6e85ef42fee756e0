#include "controls.hpp"

#include <cmath>
#include <cstdlib>

namespace lupe::e2e {

namespace {

// The program's screen: 96 dpi, unless $LUPE_E2E_TWIPS_PER_PIXEL says otherwise
// (a Windows program under Wine reads its density from the Wine prefix).
double screenTwips = [] {
  const char* given = std::getenv("LUPE_E2E_TWIPS_PER_PIXEL");
  return given ? std::atof(given) : 15.0;
}();

// Twips to pixels, rounded half to even (the default rounding mode).
int pixels(int twips) { return int(std::nearbyint(double(twips) / screenTwips)); }

Rect twipsRect(int left, int top, int width, int height) {
  return Rect{pixels(left), pixels(top), pixels(width), pixels(height)};
}

Rect inPanel(int left, int top, int width, int height) {
  const Rect panel = panelRect();
  Rect r = twipsRect(left, top, width, height);
  r.x += panel.x;
  r.y += panel.y;
  return r;
}

}  // namespace

double twipsPerPixel() { return screenTwips; }
void setTwipsPerPixel(double twips) { screenTwips = twips; }

Rect exitButtonRect() { return twipsRect(0, 0, 732, 372); }
Rect settingsButtonRect() { return twipsRect(720, 0, 1572, 372); }
Rect panelRect() { return twipsRect(720, 0, 6495, 1695); }
Rect blackWhiteButtonRect() { return inPanel(2640, 120, 1092, 372); }
Rect colourButtonRect() { return inPanel(3840, 120, 852, 372); }
Rect closePanelButtonRect() { return inPanel(2520, 1200, 3852, 375); }
Rect zoomSliderRect() { return inPanel(120, 240, 2412, 312); }
Rect topmostBoxRect() { return inPanel(2520, 960, 3375, 252); }
Rect widthButtonRect() { return inPanel(120, 1200, 852, 372); }
Rect dashButtonRect() { return inPanel(960, 1200, 1452, 372); }
Rect arrowButtonRect() { return inPanel(5520, 120, 852, 852); }

}  // namespace lupe::e2e
