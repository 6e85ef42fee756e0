#pragma once

#include <QWidget>

#include "platform/controls/controls.hpp"

namespace lupe::qt {

class QtBackend;

// Makes the widget that shows `control` in `parent`, wired to raise the
// control's events through the backend; only for a control with a window of
// its own (hasOwnWindow).
QWidget* makeWidget(Control& control, QWidget* parent, QtBackend& backend);

// Brings `widget` in line with one property of its control.
void showProperty(const Control& control, QWidget* widget, PropertyId id);

// Shows every property of the control on its new widget.
void showAllProperties(const Control& control, QWidget* widget);

}  // namespace lupe::qt
