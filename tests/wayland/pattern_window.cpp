// Shows the tests' coordinate pattern on every monitor of a Wayland
// session, one fullscreen window each, so that the screen's pixel (x, y)
// has the colour patternColour(x, y) wherever no other window lies.
#include <memory>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <QTimer>

#include "harness/pixels.hpp"

namespace {

class PatternWindow final : public QRasterWindow {
 public:
  explicit PatternWindow(QScreen* screen) {
    setScreen(screen);
    const QRect place = screen->geometry();
    image_ = QImage(place.size(), QImage::Format_RGB32);
    for (int y = 0; y < place.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
      for (int x = 0; x < place.width(); ++x)
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

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, image_); }

 private:
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
  return QGuiApplication::exec();
}
