// Shows the tests' coordinate pattern on every monitor of a Wayland
// session, one fullscreen window each, so that the screen's pixel (x, y)
// has the colour patternColour(x, y) wherever no other window lies.
//   lupe_pattern_window [--square X Y]
// With --square, a 64 x 64 square centred on (X, Y) of the first monitor
// takes the colour of each line "RRGGBB" read from stdin, or changes its
// colour 60 times a second after a line "run" (until the next colour); a
// line "quiet" ends the repainting against dropped pictures: what the
// benchmark measures a magnifier with.
#include <unistd.h>

#include <cstdlib>
#include <memory>
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
    const QRect place = screen->geometry();
    // Drawn per device pixel on a scaled monitor: the pattern belongs to the
    // screen's own pixels, which mutter places by its physical layout.
    const qreal scale = screen->devicePixelRatio();
    image_ = QImage(place.size() * scale, QImage::Format_RGB32);
    image_.setDevicePixelRatio(scale);
    for (int y = 0; y < image_.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
      for (int x = 0; x < image_.width(); ++x)
        row[x] = 0xff000000u | lupe::e2e::patternColour(place.x() + x, place.y() + y);
    }
    setGeometry(place);
    showFullScreen();
    // mutter 43 drops a picture that comes too soon after the last and does
    // not send it later: the last steps of a window closing or moving may
    // never reach a screen cast. Painting the same pattern again five times
    // a second makes it send the screen as it is now.
    refresh_.callOnTimeout([this] { update(); });
    refresh_.start(200);
  }
  // The benchmark wants no painting but what it asks for.
  void stopRefreshing() { refresh_.stop(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
    if (!square_.isEmpty()) painter.fillRect(square_, QColor::fromRgb(squareColour_));
  }

 public:
  // The square centred on (x, y) in `colour`, repainted at once.
  void showSquare(int x, int y, QRgb colour) {
    square_ = QRect(x - kSquare / 2, y - kSquare / 2, kSquare, kSquare);
    squareColour_ = colour;
    update(square_);
  }

 private:
  QRect square_;
  QRgb squareColour_ = 0;
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
  if (argc != 4 || std::string(argv[1]) != "--square") return QGuiApplication::exec();

  const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
  PatternWindow& first = *windows.front();
  first.showSquare(x, y, 0x808080);
  QTimer running;
  QRgb next = 0x100000;
  running.callOnTimeout([&] { first.showSquare(x, y, next = (next * 7 + 0x010305) & 0xffffff); });
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
      const std::string line = pending.substr(0, end);
      if (line == "run") {
        running.start(16);
      } else if (line == "quiet") {
        for (auto& window : windows) window->stopRefreshing();
      } else {
        running.stop();
        first.showSquare(x, y, static_cast<QRgb>(std::stoul(line, nullptr, 16)));
      }
    }
  });
  return QGuiApplication::exec();
}
