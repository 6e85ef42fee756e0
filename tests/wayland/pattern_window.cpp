// Shows the tests' coordinate pattern on every monitor of a Wayland
// session, one fullscreen window each, so that the screen's pixel (x, y)
// has the colour patternColour(x, y) wherever no other window lies.
//   lupe_pattern_window [--square X Y]
// Lines read from stdin change it ("quiet" and "refresh" in every mode):
//   patch X Y W H RRGGBB  a rectangle of that colour over the pattern, in
//                         the screen's pixels, instead of the last one
//                         (W or H 0: none), for a change under a still pointer
//   quiet, refresh        end and start again the repainting against dropped
//                         pictures, so that the compositor paints only for
//                         the others
// With --square, a 64 x 64 patch centred on (X, Y) takes the colour of each
// line "RRGGBB", or changes its colour 60 times a second after a line "run"
// (until the next colour): what the benchmark measures a magnifier with.
// The end of stdin ends it.
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include "harness/pixels.hpp"

namespace {

constexpr int kSquare = 64;

class PatternWindow final : public QRasterWindow {
 public:
  explicit PatternWindow(QScreen* screen) {
    setScreen(screen);
    place_ = screen->geometry();
    // Drawn per device pixel on a scaled monitor: the pattern belongs to the
    // screen's own pixels, which mutter places by its physical layout.
    scale_ = screen->devicePixelRatio();
    image_ = QImage(place_.size() * scale_, QImage::Format_RGB32);
    image_.setDevicePixelRatio(scale_);
    for (int y = 0; y < image_.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
      for (int x = 0; x < image_.width(); ++x)
        row[x] = 0xff000000u | lupe::e2e::patternColour(place_.x() + x, place_.y() + y);
    }
    setGeometry(place_);
    showFullScreen();
    // mutter 43 drops a picture that comes too soon after the last and does
    // not send it later: the last steps of a window closing or moving may
    // never reach a screen cast. Painting the same pattern again five times
    // a second makes it send the screen as it is now.
    refresh_.callOnTimeout([this] { update(); });
    refresh(true);
  }
  void refresh(bool on) { on ? refresh_.start(200) : refresh_.stop(); }

  // The patch `area` (in the screen's pixels) in `colour`, where it lies on
  // this window, instead of the last one; both repainted at once.
  void showPatch(const QRect& area, QRgb colour) {
    update(local(patch_).toAlignedRect());
    patch_ = area;
    colour_ = colour;
    update(local(patch_).toAlignedRect());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
    if (!patch_.isEmpty()) painter.fillRect(local(patch_), QColor::fromRgb(colour_));
  }

 private:
  QRectF local(const QRect& area) const {
    const QRect on = area.translated(-place_.topLeft());
    return {on.x() / scale_, on.y() / scale_, on.width() / scale_, on.height() / scale_};
  }

  QRect place_;
  qreal scale_ = 1;
  QRect patch_;
  QRgb colour_ = 0;
  QImage image_;
  QTimer refresh_;
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "wayland");
  QGuiApplication app(argc, argv);
  std::vector<std::unique_ptr<PatternWindow>> windows;
  for (QScreen* screen : QGuiApplication::screens())
    windows.push_back(std::make_unique<PatternWindow>(screen));
  const auto showPatch = [&](const QRect& area, QRgb colour) {
    for (auto& window : windows) window->showPatch(area, colour);
  };

  const bool square = argc == 4 && std::string(argv[1]) == "--square";
  const QRect squareArea = square ? QRect(std::atoi(argv[2]) - kSquare / 2,
                                          std::atoi(argv[3]) - kSquare / 2, kSquare, kSquare)
                                  : QRect();
  if (square) showPatch(squareArea, 0x808080);
  QTimer running;
  QRgb next = 0x100000;
  running.callOnTimeout([&] { showPatch(squareArea, next = (next * 7 + 0x010305) & 0xffffff); });
  // Every whole line read so far is obeyed at once: a stream's buffer
  // would keep a second line of one read from the notifier.
  QSocketNotifier lines(0, QSocketNotifier::Read);
  std::string pending;
  QObject::connect(&lines, &QSocketNotifier::activated, [&] {
    char bytes[256];
    const ssize_t n = ::read(0, bytes, sizeof bytes);
    if (n <= 0) return QGuiApplication::quit();
    pending.append(bytes, static_cast<size_t>(n));
    for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
      std::istringstream line(pending.substr(0, end));
      std::string word;
      line >> word;
      if (word == "patch") {
        int x = 0, y = 0, width = 0, height = 0;
        std::string colour;
        line >> x >> y >> width >> height >> colour;
        showPatch(QRect(x, y, width, height), static_cast<QRgb>(std::stoul(colour, nullptr, 16)));
      } else if (word == "quiet" || word == "refresh") {
        for (auto& window : windows) window->refresh(word == "refresh");
      } else if (word == "run" && square) {
        running.start(16);
      } else if (square) {
        running.stop();
        showPatch(squareArea, static_cast<QRgb>(std::stoul(word, nullptr, 16)));
      }
    }
  });
  return QGuiApplication::exec();
}
