#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QWidget>

#include "platform/controls/control.hpp"
#include "platform/controls/view_composer.hpp"
#include "platform/raster/picture.hpp"

// Conversions at the backend's edge: the control model's colours, fonts,
// pictures and native-pixel places into Qt's types.
namespace lupe::qt {

// A 0x00BBGGRR colour, or a system colour (top bit) from the palette.
QColor toQColor(Color color, const QPalette& palette);
// The system colours of the widget's palette as pixels, for the compositor;
// reads the palette when asked, so it can be made once per widget.
SystemColors systemColors(const QWidget& widget);
QFont toQFont(const Font& font);
// The picture as an ARGB32 image (it shares nothing with the picture).
QImage toQImage(const Picture& picture);
// A rectangle in native pixels as the logical rectangle Qt places widgets by.
QRect toLogical(int x, int y, int width, int height, qreal devicePixelRatio);
// A placed control's rectangle in native pixels.
QRect nativeRect(const PlacedControl& control);

}  // namespace lupe::qt
