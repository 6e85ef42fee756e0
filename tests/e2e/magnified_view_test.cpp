// The magnified picture, pixel for pixel: the view is the nearest-neighbour
// enlargement of the screen around the pointer (black where that reaches
// past the screen), with the green crosshair over it and the two buttons
// above it.
#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/lupe_test.hpp"
#include "harness/poll.hpp"
#include "harness/view_model.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

struct Mismatch {
  int dx, dy;  // in the view
  int sx, sy;  // the screen pixel it should show, unless on the crosshair
  Rgb expected, actual;
  bool onCrosshair;
};

// The outcome of comparing the visible part of the view with the model.
struct ViewCheck {
  static constexpr size_t kReported = 8;
  int count = 0;
  std::vector<Mismatch> first;
  std::vector<std::string> layoutFaults;
  Image expected;  // what the view beneath the buttons should show

  bool ok() const { return count == 0 && layoutFaults.empty(); }
  void add(const Mismatch& m) {
    if (first.size() < kReported) first.push_back(m);
    ++count;
  }
  std::string report() const {
    std::ostringstream out;
    for (const std::string& fault : layoutFaults) out << fault << '\n';
    if (count) out << count << " view pixels differ; the first ones:\n";
    for (const Mismatch& m : first) {
      out << "  view (" << m.dx << ", " << m.dy << "): expected " << hexColour(m.expected);
      if (m.onCrosshair)
        out << " (crosshair)";
      else
        out << " (screen " << m.sx << ", " << m.sy << ")";
      out << ", actual " << hexColour(m.actual) << '\n';
    }
    return out.str();
  }
};

// A button lies over the view: it must cover its whole rectangle (every row
// and column of it shows something other than the view beneath) and show its
// face colour on most of it. `above` is the part that another button covers.
void checkButton(ViewCheck& check, const Image& client, const char* name, const Rect& button,
                 Rgb face, const Rect& above) {
  std::vector<bool> rowCovered(size_t(button.height)), columnCovered(size_t(button.width));
  int visible = 0, faced = 0;
  for (int dy = button.y; dy < button.y + button.height; ++dy) {
    for (int dx = button.x; dx < button.x + button.width; ++dx) {
      if (above.contains(dx, dy)) {  // that button answers for it
        rowCovered[size_t(dy - button.y)] = true;
        columnCovered[size_t(dx - button.x)] = true;
        continue;
      }
      ++visible;
      const Rgb actual = client.at(dx, dy);
      if (actual == face) ++faced;
      if (actual != check.expected.at(dx, dy)) {
        rowCovered[size_t(dy - button.y)] = true;
        columnCovered[size_t(dx - button.x)] = true;
      }
    }
  }
  const auto firstUncovered = [](const std::vector<bool>& lines) {
    return int(std::find(lines.begin(), lines.end(), false) - lines.begin());
  };
  const int row = firstUncovered(rowCovered), column = firstUncovered(columnCovered);
  if (row < button.height)
    check.layoutFaults.push_back(std::string("the button \"") + name + "\" does not cover " +
                                 button.describe() + ": its row " + std::to_string(button.y + row) +
                                 " shows the view");
  if (column < button.width)
    check.layoutFaults.push_back(std::string("the button \"") + name + "\" does not cover " +
                                 button.describe() + ": its column " +
                                 std::to_string(button.x + column) + " shows the view");
  if (faced * 2 < visible)
    check.layoutFaults.push_back(std::string("the button \"") + name + "\" shows its face colour " +
                                 hexColour(face) + " on only " + std::to_string(faced) + " of " +
                                 std::to_string(visible) + " pixels");
}

ViewCheck checkView(const Image& client, const ViewModel& model, const Rect& source,
                    const Rect& screen) {
  ViewCheck check;
  check.expected = Image(client.width(), client.height());
  // The view starts at the client's top-left corner and is cut off at the
  // client's right and bottom edges.
  const Rect visible{0, 0, std::min(client.width(), model.width),
                     std::min(client.height(), model.height)};
  if (model.lineX >= visible.width || model.lineY >= visible.height) {
    check.layoutFaults.push_back("the crosshair point (" + std::to_string(model.lineX) + ", " +
                                 std::to_string(model.lineY) + ") lies outside the visible view " +
                                 visible.describe());
  }
  const Rect exit = exitButtonRect(), settings = settingsButtonRect();
  for (int dy = 0; dy < visible.height; ++dy) {
    for (int dx = 0; dx < visible.width; ++dx) {
      const bool onLine = dx == model.lineX || dy == model.lineY;
      const auto [sx, sy] = model.screenPixel(source, dx, dy);
      const Rgb expected = onLine                    ? kGreen
                           : screen.contains(sx, sy) ? patternColour(sx, sy)
                                                     : kBlack;
      check.expected.set(dx, dy, expected);
      if (exit.contains(dx, dy) || settings.contains(dx, dy)) continue;
      const Rgb actual = client.at(dx, dy);
      if (actual != expected) check.add({dx, dy, sx, sy, expected, actual, onLine});
    }
  }
  // "Einstellung" lies above "Exit" where they overlap.
  checkButton(check, client, "Exit", exit, 0xff0000, settings);
  checkButton(check, client, "Einstellung", settings, 0xffffff, Rect{});
  return check;
}

class MagnifiedView : public LupeOnScreen {
 protected:
  ViewModel model() {
    const Rect outer = geometry().outer();
    return ViewModel::forOuterSize(outer.width, outer.height);
  }

  // The view must not show the magnifier itself: move the window into the
  // screen's top-left corner when it lies over one of the sources.
  void keepWindowOutOf(const std::vector<Rect>& sources) {
    auto overlaps = [&] {
      const Rect outer = geometry().outer();
      return std::any_of(sources.begin(), sources.end(),
                         [&](const Rect& s) { return s.intersects(outer); });
    };
    if (!overlaps()) return;
    requestMove(*display_, window_, 0, 0);
    ASSERT_TRUE(pollUntil(5s,
                          [&] {
                            const Rect outer = geometry().outer();
                            return outer.x == 0 && outer.y == 0;
                          }))
        << "the window manager did not move the window to (0, 0); it is at "
        << geometry().outer().describe();
    ASSERT_FALSE(overlaps()) << "the window " << geometry().outer().describe()
                             << " still lies in a source rectangle";
  }
};

TEST_F(MagnifiedView, IsTheExactEnlargementAroundThePointerWithBlackBeyondTheScreen) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  struct Position {
    const char* name;
    int x, y;
  };
  // The centre, and two corners where the source reaches past the screen's
  // right and bottom, and left and bottom, edges (on 1280x1024: (640, 512),
  // (1275, 1020), (3, 1020)).
  const Rect screen = display_->rootRect();
  const Position positions[] = {{"centre", screen.width / 2, screen.height / 2},
                                {"bottom-right", screen.width - 5, screen.height - 4},
                                {"bottom-left", 3, screen.height - 4}};
  {
    std::vector<Rect> sources;
    for (const Position& p : positions) sources.push_back(model().source(p.x, p.y));
    ASSERT_NO_FATAL_FAILURE(keepWindowOutOf(sources));
  }

  for (const Position& p : positions) {
    SCOPED_TRACE(std::string("pointer at the ") + p.name);
    pointer_->moveTo(p.x, p.y);

    // The screen itself must show the pattern there, or the comparison
    // below would blame the magnifier for someone else's window.
    const Rect source = model().source(p.x, p.y);
    const Rect sourceOnScreen = source.intersected(screen);
    const Image shown = display_->readRoot(sourceOnScreen);
    Image pattern(sourceOnScreen.width, sourceOnScreen.height);
    for (int y = 0; y < pattern.height(); ++y)
      for (int x = 0; x < pattern.width(); ++x)
        pattern.set(x, y, patternColour(sourceOnScreen.x + x, sourceOnScreen.y + y));
    ASSERT_TRUE(shown == pattern) << "the screen does not show the test pattern in the source "
                                  << sourceOnScreen.describe();

    ViewCheck check;
    Image actual;
    Rect client;
    pollUntil(5s, [&] {
      client = geometry().client;
      actual = readClient();
      if (actual.width() != client.width || actual.height() != client.height) return false;
      const ViewModel m = model();
      check = checkView(actual, m, m.source(p.x, p.y), screen);
      return check.ok();
    });
    ASSERT_EQ(actual.width(), client.width) << "the client area is not wholly on the screen";
    ASSERT_EQ(actual.height(), client.height) << "the client area is not wholly on the screen";
    if (!check.ok()) {
      const std::string actualPath = screenshotPath(std::string(p.name) + "-actual");
      const std::string expectedPath = screenshotPath(std::string(p.name) + "-expected");
      writePpm(actual, actualPath);
      writePpm(check.expected, expectedPath);
      const ViewModel m = model();
      ADD_FAILURE() << "the view differs from the enlargement of source "
                    << m.source(p.x, p.y).describe() << " into a view of " << m.width << "x"
                    << m.height << " (crosshair at x " << m.lineX << ", y " << m.lineY << ")\n"
                    << check.report() << "client area: " << actualPath
                    << "\nexpected (without the buttons): " << expectedPath;
    }
  }
}

}  // namespace
}  // namespace lupe::e2e
