#include "platform/qt/form_widgets.hpp"

#include <vector>

#include "platform/controls/control_tree.hpp"
#include "platform/qt/control_widgets.hpp"
#include "platform/qt/view_widget.hpp"

namespace lupe::qt {

void FormWidgets::build(Form& form, QWidget& window, QtBackend& backend) {
  buildWindows(
      form,
      [&](Control& control) {
        QWidget* parent = control.container() == &form ? &window : of(*control.container());
        QWidget* widget = makeWidget(control, parent, backend);
        widgets_.emplace(&control, widget);
        showAllProperties(control, widget);
      },
      [this](const Control& container) { stack(container); });
  fillAboveViews();
}

// A control over a view paints the whole of its rectangle, as a native
// window does, rather than letting the view show through its corners.
// Where Qt paints the view, this also spares the control a repaint on
// every tick: Qt repaints no opaque sibling over a changed area.
void FormWidgets::fillAboveViews() {
  for (const auto& [control, widget] : widgets_) {
    if (control->kind() != ControlKind::PictureBox) continue;
    forEachAbove(*control, [this](const Control& above) {
      if (QWidget* over = of(above)) over->setAutoFillBackground(true);
    });
  }
}

QWidget* FormWidgets::of(const Control& control) const {
  const auto it = widgets_.find(&control);
  return it == widgets_.end() ? nullptr : it->second;
}

// Raising each from the bottom-most up leaves the top-most on top.
void FormWidgets::stack(const Control& container) {
  for (const Control* child : fromBottom(container))
    if (QWidget* widget = of(*child)) widget->raise();
}

void FormWidgets::showViewsThrough(const Control& container, const FrameOutputs& outputs) {
  for (const Control* child : container.children()) {
    if (child->kind() == ControlKind::PictureBox) {
      // A view in a native window of its own would hide what Qt paints of
      // the controls above it: they get native windows as well.
      forEachAbove(*child, [this](const Control& above) {
        if (QWidget* widget = of(above)) widget->setAttribute(Qt::WA_NativeWindow);
      });
      if (QWidget* widget = of(*child)) static_cast<ViewWidget*>(widget)->showThrough(outputs);
      stack(container);
    }
    showViewsThrough(*child, outputs);
  }
}

void FormWidgets::showViewsOnSurfaces(const Control& container, const PlacedOutputs& outputs) {
  for (const Control* child : container.children()) {
    if (child->kind() == ControlKind::PictureBox) {
      std::vector<QWidget*> over;
      forEachAbove(*child, [&](const Control& above) {
        if (QWidget* widget = of(above)) over.push_back(widget);
      });
      if (QWidget* widget = of(*child))
        static_cast<ViewWidget*>(widget)->showOnSurface(outputs, over);
    }
    showViewsOnSurfaces(*child, outputs);
  }
}

}  // namespace lupe::qt
