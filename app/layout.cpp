#include "app/frm_lupe.hpp"

#include "platform/runtime/conversions.hpp"
#include "platform/runtime/statements.hpp"

namespace lupe {

// Sizes the view from the window's outer size in twips and puts the
// crosshair and the marker on the view's crosshair point. Later steps read
// the view's size back, so they follow what the view accepted.
void frmLupe::Form_Resize() {
  step([&] { Picture1.Width = toSingle(divide(Width(), 12.1)); });
  step([&] { Picture1.Height = toSingle(divide(Height(), 12.8)); });
  step([&] { Line2.X1 = 0.0f; });
  step([&] { Line2.X2 = Picture1.Width; });
  step([&] { Line1.X1 = toSingle(divide(Picture1.Width, 2.01)); });
  step([&] { Line1.X2 = toSingle(divide(Picture1.Width, 2.01)); });
  step([&] { Line1.Y2 = Picture1.Height; });
  step([&] { Line2.Y2 = toSingle(divide(Picture1.Height, 2.01)); });
  step([&] { Line2.Y1 = toSingle(divide(Picture1.Height, 2.01)); });
  step([&] { Image1.Left = toSingle(divide(Picture1.Width, 2.01)); });
  step([&] { Image1.Top = toSingle(divide(Picture1.Height, 2.01)); });
}

}  // namespace lupe
