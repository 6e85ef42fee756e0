#include "platform/controls/control_tree.hpp"

#include "platform/controls/controls.hpp"

namespace lupe {

PixelRect placeOf(const PlacedControl& control) {
  return {devicePixel(control.Left), devicePixel(control.Top), devicePixel(control.Width),
          devicePixel(control.Height)};
}

const Control* controlAt(const Control& container, int32_t x, int32_t y) {
  // The first in definition order lies on top.
  for (const Control* child : container.children()) {
    if (!hasOwnWindow(*child) || !child->Visible) continue;
    const PixelRect r = placeOf(static_cast<const PlacedControl&>(*child));
    if (x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height) return child;
  }
  return nullptr;
}

}  // namespace lupe
