#include "view_test.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "poll.hpp"

namespace lupe::e2e {

using namespace std::chrono_literals;

namespace {

// Whether the screen shows the test pattern throughout the on-screen part
// of `area`.
bool screenShowsPattern(TestSession& session, const Rect& area) {
  const Rect onScreen = area.intersected(session.screenRect());
  if (onScreen.empty()) return true;
  const Image shown = session.read(onScreen);
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x)
      if (shown.at(x, y) != patternColour(onScreen.x + x, onScreen.y + y)) return false;
  return true;
}

// The frame the program measures its outer size with: the window manager's,
// or for a Windows build under Wine the frame of Wine's own metrics,
// $LUPE_E2E_PROGRAM_FRAME as "left,right,top,bottom".
FrameExtents programFrame(const WindowGeometry& geometry) {
  const char* given = std::getenv("LUPE_E2E_PROGRAM_FRAME");
  FrameExtents frame;
  if (given &&
      std::sscanf(given, "%d,%d,%d,%d", &frame.left, &frame.right, &frame.top, &frame.bottom) == 4)
    return frame;
  return geometry.frame;
}

}  // namespace

ViewModel ViewOnScreen::model(int zoom) { return modelOf(geometry(), zoom); }

ViewModel ViewOnScreen::modelOf(WindowGeometry laidOut, int zoom) const {
  laidOut.frame = programFrame(laidOut);
  const Rect outer = laidOut.outer();
  ViewModel m = ViewModel::forOuterSize(outer.width, outer.height, zoom);
  m.marker = marker_;
  return m;
}

void ViewOnScreen::moveWindowToTopLeft() {
  const Rect before = geometry().outer();
  session_->requestMove(0, 0);
  // A move keeps the size: until it shows so, the screen is not all read
  // anew (on Wayland, each monitor's picture comes on its own).
  ASSERT_TRUE(pollUntil(5s,
                        [&] {
                          const Rect outer = geometry().outer();
                          return outer == Rect{0, 0, before.width, before.height};
                        }))
      << "the window manager did not move the window to (0, 0); it is at "
      << geometry().outer().describe();
}

void ViewOnScreen::keepWindowOutOf(const std::vector<Rect>& sources) {
  auto overlaps = [&] {
    const Rect outer = geometry().outer();
    return std::any_of(sources.begin(), sources.end(),
                       [&](const Rect& s) { return s.intersects(outer); });
  };
  if (!overlaps()) return;
  ASSERT_NO_FATAL_FAILURE(moveWindowToTopLeft());
  ASSERT_FALSE(overlaps()) << "the window " << geometry().outer().describe()
                           << " still lies in a source rectangle";
}

void ViewOnScreen::pointerAwayFromWindow(int zoom, int& x, int& y) {
  const Rect screen = session_->screenRect();
  const Rect outer = geometry().outer();
  const ViewModel m = model(zoom);
  const int gap = 8;
  const int right = outer.x + outer.width, bottom = outer.y + outer.height;
  if (screen.width - right >= m.sourceWidth + 2 * gap) {
    x = right + gap + m.sourceWidth / 2;
    y = std::clamp(screen.height / 2, m.sourceHeight / 2, screen.height - m.sourceHeight / 2 - 1);
  } else if (screen.height - bottom >= m.sourceHeight + 2 * gap) {
    x = std::clamp(screen.width / 2, m.sourceWidth / 2, screen.width - m.sourceWidth / 2 - 1);
    y = bottom + gap + m.sourceHeight / 2;
  } else {
    FAIL() << "no room on the screen beside or below the window " << outer.describe()
           << " for a source of " << m.sourceWidth << "x" << m.sourceHeight;
  }
}

void ViewOnScreen::expectView(const std::string& what, int x, int y, int zoom,
                              const std::vector<Overlay>& overlays) {
  session_->moveTo(x, y);
  const Rect screen = session_->screenRect();
  // Else the comparison would blame the magnifier for someone else's window.
  const Rect source = model(zoom).source(x, y);
  const std::vector<Rect> shown = shown_.empty() ? std::vector<Rect>{screen} : shown_;
  const auto patternInSource = [&] {
    return std::all_of(shown.begin(), shown.end(), [&](const Rect& monitor) {
      const Rect part = source.intersected(monitor);
      return part.empty() || screenShowsPattern(*session_, part);
    });
  };
  if (!pollUntil(5s, patternInSource)) {
    const std::string path = screenshotPath(what + "-source");
    writePpm(session_->read(source.intersected(screen)), path);
    FAIL() << "the screen does not show the test pattern in the source " << source.describe()
           << " (the window is at " << geometry().outer().describe() << "): " << path;
  }
  compareView(what, x, y, zoom, overlays, false);
}

void ViewOnScreen::expectViewOfScreen(const std::string& what, int x, int y, int zoom,
                                      const std::vector<Overlay>& overlays) {
  session_->moveTo(x, y);
  compareView(what, x, y, zoom, overlays, true);
}

void ViewOnScreen::compareView(const std::string& what, int x, int y, int zoom,
                               const std::vector<Overlay>& overlays, bool asShown) {
  const Rect screen = session_->screenRect();
  const std::vector<Rect> shown = shown_.empty() ? std::vector<Rect>{screen} : shown_;

  // Right on two looks in a row, a few ticks apart: a picture left over
  // from before the last action (the view keeps its last picture until the
  // next tick) must not pass for the new state.
  ViewCheck check;
  Image actual;
  Rect client;
  int rightInARow = 0;
  const bool settled = pollUntil(
      5s,
      [&] {
        // One look for the window and its pixels: on Wayland the screen cast
        // may lack the window for a picture while it moves.
        const std::optional<WindowGeometry> now = session_->geometry();
        if (!now) return false;
        client = now->client;
        actual = session_->read(client.intersected(screen));
        if (actual.width() != client.width || actual.height() != client.height) return false;
        const ViewModel m = modelOf(*now, zoom);
        const Rect source = m.source(x, y);
        // Off the root the view shows black: those pixels are never read here.
        Image onRoot(source.width, source.height);
        if (asShown) {
          const Rect part = source.intersected(screen);
          const Image read = session_->read(part);
          for (int sy = 0; sy < part.height; ++sy)
            for (int sx = 0; sx < part.width; ++sx)
              onRoot.set(part.x - source.x + sx, part.y - source.y + sy, read.at(sx, sy));
        }
        check = checkView(actual, m, source, shown, overlays, asShown ? &onRoot : nullptr);
        rightInARow = check.ok() ? rightInARow + 1 : 0;
        return rightInARow == 2;
      },
      80ms);
  ASSERT_EQ(actual.width(), client.width) << "the client area is not wholly on the screen";
  ASSERT_EQ(actual.height(), client.height) << "the client area is not wholly on the screen";
  if (settled) return;
  const std::string actualPath = screenshotPath(what + "-actual");
  const std::string expectedPath = screenshotPath(what + "-expected");
  writePpm(actual, actualPath);
  writePpm(check.expected, expectedPath);
  const ViewModel m = model(zoom);
  FAIL() << what << ": the view differs from the enlargement of source "
         << m.source(x, y).describe() << " at zoom " << zoom << " into a view of " << m.width << "x"
         << m.height << " (crosshair at x " << m.lineX << ", y " << m.lineY
         << ") in a client area of " << client.describe() << "\n"
         << (check.ok() ? "right on the last look, but never on two looks in a row\n"
                        : check.report())
         << "client area: " << actualPath
         << "\nexpected (without the controls over it): " << expectedPath;
}

}  // namespace lupe::e2e
