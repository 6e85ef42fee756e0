#include "platform/emulation/screen_source.hpp"

namespace lupe {

bool captureScreen(ScreenSource& source, const PixelRect& area, RasterView out) {
  const PixelRect onScreen = intersection(area, source.bounds());
  if (onScreen.empty()) {
    out.fill(kBlack);
    return true;
  }
  const PixelRect inside{onScreen.x - area.x, onScreen.y - area.y, onScreen.width, onScreen.height};
  // Black only around the part on the screen, which the read overwrites.
  out.fill({0, 0, out.width, inside.y}, kBlack);
  out.fill({0, inside.y + inside.height, out.width, out.height - inside.y - inside.height}, kBlack);
  out.fill({0, inside.y, inside.x, inside.height}, kBlack);
  out.fill({inside.x + inside.width, inside.y, out.width - inside.x - inside.width, inside.height},
           kBlack);
  if (source.read(onScreen, out.sub(inside))) return true;
  out.fill(kBlack);
  return false;
}

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

}  // namespace lupe
