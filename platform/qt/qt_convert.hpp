#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMouseEvent>
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
// The mouse button as the model numbers it (1 left, 2 right, 4 middle; 0 other).
int16_t buttonOf(Qt::MouseButton button);
// The modifier keys as the model's Shift (1 shift, 2 ctrl, 4 alt).
int16_t shiftOf(Qt::KeyboardModifiers modifiers);
// The event's position in the widget, in native pixels.
QPoint nativePosition(const QMouseEvent& event, const QWidget& widget);
// The window state as the form's WindowState (0 normal, 1 minimised, 2 maximised) and back.
int16_t windowStateOf(Qt::WindowStates states);
Qt::WindowStates toWindowStates(int16_t state, Qt::WindowStates now);

}  // namespace lupe::qt
