#include "app/pictures.hpp"

#include "platform/raster/xpm.hpp"

// The two pictures, drawn as XPM text: open the files in any image viewer.
namespace lupe {
namespace {
#include "app/pictures/arrow.xpm"
#include "app/pictures/icon.xpm"
}  // namespace

const Picture& windowIcon() {
  static const Picture icon = pictureFromXpm(icon_xpm);
  return icon;
}

const Picture& arrowPicture() {
  static const Picture arrow = pictureFromXpm(arrow_xpm);
  return arrow;
}

}  // namespace lupe
