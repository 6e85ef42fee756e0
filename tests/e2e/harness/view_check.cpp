#include "view_check.hpp"

#include <algorithm>
#include <map>
#include <sstream>

#include "controls.hpp"

namespace lupe::e2e {

namespace {

constexpr Rgb kRed = 0xff0000;
constexpr Rgb kWhite = 0xffffff;

bool under(const std::vector<Rect>& rects, int x, int y) {
  return std::any_of(rects.begin(), rects.end(), [&](const Rect& r) { return r.contains(x, y); });
}

// `overlay` must cover its rectangle: every row and column of it shows
// something other than the view beneath (the parts under `above` count as
// covered), hardly any of it shows the view, and much of it shows its own
// background. A panel that lets the view through tinted fails the last.
void checkOverlay(ViewCheck& check, const Image& client, const Overlay& overlay,
                  const std::vector<Rect>& above) {
  const Rect r = overlay.rect.intersected(Rect{0, 0, client.width(), client.height()});
  std::vector<bool> rowCovered(size_t(r.height)), columnCovered(size_t(r.width));
  int visible = 0, showingView = 0;
  std::map<Rgb, int> colours;
  for (int y = r.y; y < r.y + r.height; ++y) {
    for (int x = r.x; x < r.x + r.width; ++x) {
      bool covered = true;
      if (!under(above, x, y)) {
        ++visible;
        const Rgb actual = client.at(x, y);
        ++colours[actual];
        covered = actual != check.expected.at(x, y);
        if (!covered) ++showingView;
      }
      if (covered) {
        rowCovered[size_t(y - r.y)] = true;
        columnCovered[size_t(x - r.x)] = true;
      }
    }
  }
  const auto firstUncovered = [](const std::vector<bool>& lines) {
    return int(std::find(lines.begin(), lines.end(), false) - lines.begin());
  };
  const std::string what = "\"" + overlay.name + "\" (" + overlay.rect.describe() + ")";
  if (const int row = firstUncovered(rowCovered); row < r.height)
    check.layoutFaults.push_back(what + " does not cover its row " + std::to_string(r.y + row) +
                                 ": the view shows there");
  if (const int column = firstUncovered(columnCovered); column < r.width)
    check.layoutFaults.push_back(what + " does not cover its column " +
                                 std::to_string(r.x + column) + ": the view shows there");
  if (showingView * 4 > visible)
    check.layoutFaults.push_back(what + " lets the view show through on " +
                                 std::to_string(showingView) + " of " + std::to_string(visible) +
                                 " pixels");
  if (overlay.face) {
    if (const int faced = colours[*overlay.face]; faced * 2 < visible)
      check.layoutFaults.push_back(what + " shows its face colour " + hexColour(*overlay.face) +
                                   " on only " + std::to_string(faced) + " of " +
                                   std::to_string(visible) + " pixels");
  } else if (!colours.empty()) {
    const auto commonest =
        std::max_element(colours.begin(), colours.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    if (commonest->second * 3 < visible)
      check.layoutFaults.push_back(what + " shows no background of its own: its commonest colour " +
                                   hexColour(commonest->first) + " covers only " +
                                   std::to_string(commonest->second) + " of " +
                                   std::to_string(visible) + " pixels");
  }
}

void findGreenLines(ViewCheck& check, const Image& client) {
  std::vector<int> inColumn(size_t(client.width())), inRow(size_t(client.height()));
  for (int y = 0; y < client.height(); ++y)
    for (int x = 0; x < client.width(); ++x)
      if (client.at(x, y) == kGreen) ++inColumn[size_t(x)], ++inRow[size_t(y)];
  for (int x = 0; x < client.width(); ++x)
    if (inColumn[size_t(x)] * 10 >= client.height() * 9) check.greenColumns.push_back(x);
  for (int y = 0; y < client.height(); ++y)
    if (inRow[size_t(y)] * 10 >= client.width() * 9) check.greenRows.push_back(y);
}

}  // namespace

std::vector<Overlay> closedPanelOverlays() {
  return {{"Einstellung", settingsButtonRect(), kWhite}, {"Exit", exitButtonRect(), kRed}};
}

std::vector<Overlay> openPanelOverlays(Rgb colourFace, Rgb blackWhiteFace) {
  return {{"Schwarz", blackWhiteButtonRect(), blackWhiteFace},
          {"Rot", colourButtonRect(), colourFace},
          {"Einstellungs Fenster schließen", closePanelButtonRect(), kWhite},
          {"the settings panel", panelRect(), std::nullopt},
          {"Exit", exitButtonRect(), kRed}};
}

void ViewCheck::add(const Mismatch& m) {
  if (first.size() < kReported) first.push_back(m);
  ++count;
}

std::string ViewCheck::report() const {
  std::ostringstream out;
  for (const std::string& fault : layoutFaults) out << fault << '\n';
  if (count) {
    out << count << " view pixels differ. Green lines stand at columns";
    for (const int x : greenColumns) out << ' ' << x;
    out << " and rows";
    for (const int y : greenRows) out << ' ' << y;
    out << ". The first pixels that differ:\n";
  }
  for (const Mismatch& m : first) {
    out << "  view (" << m.dx << ", " << m.dy << "): expected " << hexColour(m.expected);
    if (m.onCrosshair)
      out << " (marker)";
    else
      out << " (screen " << m.sx << ", " << m.sy << ")";
    out << ", actual " << hexColour(m.actual) << '\n';
  }
  return out.str();
}

ViewCheck checkView(const Image& client, const ViewModel& model, const Rect& source,
                    const std::vector<Rect>& shown, const std::vector<Overlay>& overlays,
                    const Image* screen) {
  ViewCheck check;
  check.expected = Image(client.width(), client.height());
  // The view starts at the client's top-left corner. At 15 twips a pixel it
  // is larger than the client area, which cuts it off; on a denser screen
  // it is smaller, and the form shows beside and below it.
  const Rect visible{0, 0, std::min(client.width(), model.width),
                     std::min(client.height(), model.height)};
  if (model.lineX >= visible.width || model.lineY >= visible.height) {
    check.layoutFaults.push_back("the crosshair point (" + std::to_string(model.lineX) + ", " +
                                 std::to_string(model.lineY) + ") lies outside the visible view " +
                                 visible.describe());
  }
  std::vector<Rect> covered;
  for (const Overlay& overlay : overlays) covered.push_back(overlay.rect);
  for (int dy = 0; dy < visible.height; ++dy) {
    for (int dx = 0; dx < visible.width; ++dx) {
      const std::optional<Rgb> marker = model.markerPixel(dx, dy);
      const bool onLine = marker.has_value();
      const auto [sx, sy] = model.screenPixel(source, dx, dy);
      const bool onScreen = std::any_of(shown.begin(), shown.end(),
                                        [&](const Rect& r) { return r.contains(sx, sy); });
      const Rgb onRoot = screen ? screen->at(sx - source.x, sy - source.y) : patternColour(sx, sy);
      const Rgb expected = marker ? *marker : onScreen ? onRoot : kBlack;
      check.expected.set(dx, dy, expected);
      if (under(covered, dx, dy)) continue;
      const Rgb actual = client.at(dx, dy);
      if (actual != expected) check.add({dx, dy, sx, sy, expected, actual, onLine});
    }
  }
  if (check.count) findGreenLines(check, client);
  std::vector<Rect> above;
  for (const Overlay& overlay : overlays) {
    checkOverlay(check, client, overlay, above);
    above.push_back(overlay.rect);
  }
  return check;
}

}  // namespace lupe::e2e
