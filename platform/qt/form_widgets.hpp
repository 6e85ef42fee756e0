#pragma once

#include <unordered_map>

#include <QWidget>

#include "platform/controls/controls.hpp"
#include "platform/controls/form.hpp"
#include "platform/qt/frame_outputs.hpp"

namespace lupe::qt {

class QtBackend;

// The widgets of the form's controls: one for each control with a window of
// its own, made in the form's window, stacked as the control tree says and
// looked up by their control.
class FormWidgets {
 public:
  // Makes every control's widget, each showing its properties.
  void build(Form& form, QWidget& window, QtBackend& backend);
  // The control's widget; nullptr for one drawn by its container.
  QWidget* of(const Control& control) const;
  // Gives each view a native window of its own that shows its frames
  // through `outputs`, and the controls above a view native windows too.
  void showViewsThrough(const Control& container, const FrameOutputs& outputs);
  // Shows each view on surfaces of its own through `outputs`, over the
  // window's, between the controls above the view.
  void showViewsOnSurfaces(const Control& container, const PlacedOutputs& outputs);

 private:
  void stack(const Control& container);
  void fillAboveViews();

  std::unordered_map<const Control*, QWidget*> widgets_;
};

}  // namespace lupe::qt
