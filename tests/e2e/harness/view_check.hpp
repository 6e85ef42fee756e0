#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pixels.hpp"
#include "view_model.hpp"

namespace lupe::e2e {

// A control that lies over the view: the view does not show through its
// rectangle, which shows a background of its own: at least half of it in
// `face` (a button's face) when that is given, else at least a third in one
// colour (a panel's background, whatever the style makes it).
struct Overlay {
  std::string name;
  Rect rect;  // in client coordinates
  std::optional<Rgb> face;
};

// What lies over the view with the settings panel closed and open, the
// topmost first: the closed window shows "Einstellung" above "Exit"; the
// open panel covers "Einstellung" and the right edge of "Exit", and carries
// "Schwarz", "Rot" and "Einstellungs Fenster schließen" among its controls.
std::vector<Overlay> closedPanelOverlays();
// The colour buttons' faces change with their clicks: "Rot"/"Grün" shows
// red or green, "Schwarz"/"Weiss" grey or white.
std::vector<Overlay> openPanelOverlays(Rgb colourFace = 0xff0000, Rgb blackWhiteFace = 0x808080);

// The outcome of comparing a client area with the view that the model
// expects there.
struct ViewCheck {
  static constexpr size_t kReported = 8;
  struct Mismatch {
    int dx, dy;  // in the view
    int sx, sy;  // the screen pixel it should show, unless on the marker
    Rgb expected, actual;
    bool onCrosshair;
  };

  int count = 0;
  std::vector<Mismatch> first;
  // Where the client area shows green lines, to tell a misplaced crosshair:
  // columns and rows that are green on nine in ten of their pixels.
  std::vector<int> greenColumns, greenRows;
  std::vector<std::string> layoutFaults;
  Image expected;  // what the view beneath the overlays should show

  bool ok() const { return count == 0 && layoutFaults.empty(); }
  void add(const Mismatch& m);
  std::string report() const;
};

// Compares `client` with the enlargement of `source` into the view that
// `model` describes, cut off at the client's edges, with the model's marker
// over it; screen pixels on none of `shown` (the monitors) show black. Pixels under
// `overlays` (topmost first) are not compared with the view; each overlay
// must instead cover its whole rectangle, wherever no overlay above it
// answers for it, and show its face colour if it has one.
// `screen`, when given, is what the screen shows in `source` (on the root),
// in place of the test pattern.
ViewCheck checkView(const Image& client, const ViewModel& model, const Rect& source,
                    const std::vector<Rect>& shown, const std::vector<Overlay>& overlays,
                    const Image* screen = nullptr);

}  // namespace lupe::e2e
