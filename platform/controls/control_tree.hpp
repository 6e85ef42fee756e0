#pragma once

#include <vector>

#include "platform/controls/control.hpp"
#include "platform/raster/raster.hpp"

namespace lupe {

// Whether a toolkit gives the control a window (widget) of its own. Lines
// and images are drawn by their container, by the compositor's pixel rules,
// so they look the same on every window system; a timer is never seen.
inline bool hasOwnWindow(const Control& control) {
  const ControlKind kind = control.kind();
  return kind != ControlKind::Line && kind != ControlKind::Image && kind != ControlKind::Timer;
}

// A container's children from the bottom-most to the top-most: a control
// defined earlier lies above one defined later. Whatever stacks windows or
// lays layers walks this order, so that the last one laid lies on top.
inline auto fromBottom(const Control& container) {
  struct Reversed {
    std::vector<Control*>::const_reverse_iterator first, last;
    auto begin() const { return first; }
    auto end() const { return last; }
  };
  return Reversed{container.children().rbegin(), container.children().rend()};
}

// The siblings that lie above `control`: those its container defines before it.
template <class Visit>
void forEachAbove(const Control& control, Visit&& visit) {
  for (const Control* sibling : control.container()->children()) {
    if (sibling == &control) return;
    visit(*sibling);
  }
}

// Makes a toolkit's windows for everything below `container`: `make(child)`
// for each control with a window of its own, its container's window made
// before it; then `stack(container)` once its children are all made.
template <class Make, class Stack>
void buildWindows(Control& container, Make&& make, Stack&& stack) {
  for (Control* child : container.children()) {
    if (!hasOwnWindow(*child)) continue;
    make(*child);
    buildWindows(*child, make, stack);
  }
  stack(container);
}

// A placed control's rectangle in its container, in pixels.
PixelRect placeOf(const PlacedControl& control);

// The top-most visible child of `container` with a window of its own that
// covers pixel (x, y) of the container; nullptr where the container's own
// surface lies bare.
const Control* controlAt(const Control& container, int32_t x, int32_t y);

}  // namespace lupe
