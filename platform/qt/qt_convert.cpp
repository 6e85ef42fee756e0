#include "platform/qt/qt_convert.hpp"

#include <cmath>

#include "platform/controls/control_tree.hpp"
#include "platform/controls/controls.hpp"

namespace lupe::qt {

QColor toQColor(Color color, const QPalette& palette) {
  if (color & kSystemColorFlag) {
    switch (color & 0xffu) {
      case 5:
        return palette.color(QPalette::Base);  // window background
      case 8:
        return palette.color(QPalette::WindowText);  // window text
      case 15:
        return palette.color(QPalette::Button);  // button face
      case 18:
        return palette.color(QPalette::ButtonText);  // button text
      default:
        return palette.color(QPalette::WindowText);
    }
  }
  return QColor(color & 0xff, (color >> 8) & 0xff, (color >> 16) & 0xff);
}

SystemColors systemColors(const QWidget& widget) {
  return [&widget](Color color) {
    return static_cast<Pixel>(toQColor(color, widget.palette()).rgb());
  };
}

QFont toQFont(const Font& font) {
  QFont qfont(QString::fromStdString(font.face));
  qfont.setPointSizeF(font.points);
  qfont.setWeight(static_cast<QFont::Weight>(font.weight));
  return qfont;
}

QImage toQImage(const Picture& picture) {
  QImage image(picture.width, picture.height, QImage::Format_ARGB32);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      image.setPixel(x, y, picture.argb[static_cast<size_t>(y) * picture.width + x]);
  return image;
}

QRect toLogical(int x, int y, int width, int height, qreal dpr) {
  const auto scale = [dpr](int v) { return static_cast<int>(std::floor(v / dpr)); };
  const int left = scale(x), top = scale(y);
  return {left, top, static_cast<int>(std::ceil((x + width) / dpr)) - left,
          static_cast<int>(std::ceil((y + height) / dpr)) - top};
}

QRect nativeRect(const PlacedControl& control) {
  const PixelRect r = placeOf(control);
  return {r.x, r.y, r.width, r.height};
}

int16_t buttonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

int16_t shiftOf(Qt::KeyboardModifiers modifiers) {
  return static_cast<int16_t>((modifiers & Qt::ShiftModifier ? 1 : 0) |
                              (modifiers & Qt::ControlModifier ? 2 : 0) |
                              (modifiers & Qt::AltModifier ? 4 : 0));
}

QPoint nativePosition(const QMouseEvent& event, const QWidget& widget) {
  const qreal dpr = widget.devicePixelRatioF();
  return {static_cast<int>(std::floor(event.position().x() * dpr)),
          static_cast<int>(std::floor(event.position().y() * dpr))};
}

int16_t windowStateOf(Qt::WindowStates states) {
  if (states & Qt::WindowMinimized) return 1;
  if (states & Qt::WindowMaximized) return 2;
  return 0;
}

Qt::WindowStates toWindowStates(int16_t state, Qt::WindowStates now) {
  now &= ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (state == 1) return now | Qt::WindowMinimized;
  if (state == 2) return now | Qt::WindowMaximized;
  return now;
}

}  // namespace lupe::qt
