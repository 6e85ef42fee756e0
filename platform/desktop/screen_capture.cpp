#include "platform/desktop/screen_source.hpp"

namespace lupe {

bool captureScreen(ScreenSource& source, const PixelRect& area, RasterView out) {
  const PixelRect onScreen = intersection(area, source.bounds());
  if (onScreen != area) out.fill(kBlack);
  if (onScreen.empty()) return true;
  const PixelRect inside{onScreen.x - area.x, onScreen.y - area.y, onScreen.width,
                         onScreen.height};
  if (source.read(onScreen, out.sub(inside))) return true;
  out.fill(kBlack);
  return false;
}

}  // namespace lupe
