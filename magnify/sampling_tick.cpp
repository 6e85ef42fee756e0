#include "app/frm_lupe.hpp"

#include "platform/runtime/conversions.hpp"
#include "platform/runtime/statements.hpp"

namespace lupe {

// One sample: the screen around the pointer, view size divided by the zoom,
// stretched over the whole view. A failing step leaves its value at 0 and
// the tick goes on.
void frmLupe::Timer1_Timer() {
  PointApi pointer{};
  int16_t zoom = 0, viewWidth = 0, viewHeight = 0;
  int16_t sourceWidth = 0, sourceHeight = 0, sourceX = 0, sourceY = 0;

  step([&] { desktop_.GetCursorPos(pointer); });
  step([&] { Picture1.Cls(); });
  step([&] { Picture1.ScaleMode = int16_t{3}; });
  step([&] { zoom = toInt16(int32_t{Slider1.Value}); });
  step([&] { viewWidth = toInt16(Picture1.ScaleWidth()); });
  step([&] { viewHeight = toInt16(Picture1.ScaleHeight()); });
  // The reciprocal first, then the product: this is what decides halves.
  step([&] { sourceWidth = toInt16(multiply(divide(1.0, zoom), viewWidth)); });
  step([&] { sourceHeight = toInt16(multiply(divide(1.0, zoom), viewHeight)); });
  step([&] { sourceX = toInt16(subtract(pointer.x, sourceWidth / 2)); });
  step([&] { sourceY = toInt16(subtract(pointer.y, sourceHeight / 2)); });
  step([&] {
    desktop_.StretchBlt(Picture1.hDC(), 0, 0, viewWidth, viewHeight, lDesktopDC, sourceX, sourceY,
                        sourceWidth, sourceHeight, SRCCOPY);
  });
}

}  // namespace lupe
