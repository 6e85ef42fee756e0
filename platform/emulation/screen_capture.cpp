#include "platform/emulation/screen_source.hpp"

#include "platform/raster/stretch.hpp"

namespace lupe {

ScreenPart readOnScreenPart(ScreenSource& source, const PixelRect& area, Raster& spare) {
  const PixelRect onScreen = intersection(area, source.bounds());
  if (onScreen.empty()) return {};
  const PixelRect part{onScreen.x - area.x, onScreen.y - area.y, onScreen.width, onScreen.height};
  ConstRasterView pixels;
  if (source.readInPlace(onScreen, pixels)) return {part, pixels};
  spare.reshape(onScreen.width, onScreen.height);
  if (!source.read(onScreen, spare.view())) return {};
  return {part, spare.view()};
}

// The tick's own reading and stretching, at 1:1.
bool captureScreen(ScreenSource& source, const PixelRect& area, RasterView out) {
  Raster spare;
  const ScreenPart part = readOnScreenPart(source, area, spare);
  NearestStretch().run(part.pixels, part.area, area.width, area.height, out, 0, 0, area.width,
                       area.height);
  return !part.area.empty() || intersection(area, source.bounds()).empty();
}

}  // namespace lupe
