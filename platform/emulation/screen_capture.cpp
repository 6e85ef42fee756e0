#include "platform/emulation/screen_source.hpp"

#include "platform/raster/stretch.hpp"

namespace lupe {

ScreenPart readOnScreenPart(const ScreenLook& look, const PixelRect& area, Raster& spare) {
  const PixelRect onScreen = intersection(area, look.bounds);
  if (onScreen.empty()) return {};
  const PixelRect part{onScreen.x - area.x, onScreen.y - area.y, onScreen.width, onScreen.height};
  ConstRasterView pixels;
  if (look.pixels->readInPlace(onScreen, pixels)) return {part, pixels};
  spare.reshape(onScreen.width, onScreen.height);
  if (!look.pixels->read(onScreen, spare.view())) return {};
  return {part, spare.view()};
}

// The tick's own reading and stretching, at 1:1.
bool captureScreen(ScreenSource& source, const PixelRect& area, RasterView out) {
  const ScreenLook look = source.look();
  Raster spare;
  const ScreenPart part = readOnScreenPart(look, area, spare);
  NearestStretch().run(part.pixels, part.area, area.width, area.height, out, 0, 0, area.width,
                       area.height);
  return !part.area.empty() || intersection(area, look.bounds).empty();
}

}  // namespace lupe
