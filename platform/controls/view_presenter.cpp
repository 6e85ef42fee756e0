#include "platform/controls/view_presenter.hpp"

#include <utility>

namespace lupe {

ViewPresenter::ViewPresenter(PictureBox& picture, FrameOutput& output, SystemColors systemColors)
    : picture_(picture), output_(output), systemColors_(std::move(systemColors)) {
  picture_.surface().useMemory(&output_);
}

void ViewPresenter::redrawn(bool visible, PixelSize window) {
  if (!visible) {
    stale_ = true;
  } else if (stale_) {
    present(window);
  } else {
    update();
  }
}

void ViewPresenter::paint(const PixelRect& area, PixelSize window) {
  const PixelRect picture{0, 0, picture_.surface().width(), picture_.surface().height()};
  // Only uncovered: the memory still holds the frame, put it there again.
  if (!stale_ && intersection(area, picture) == area) return output_.show(area);
  present(window);
}

void ViewPresenter::present(PixelSize window) {
  Surface& surface = picture_.surface();
  collectLayers(picture_, systemColors_, shown_);
  const ConstRasterView frame = surface.withLayers(shown_);
  surface.takeChanged();
  output_.show({0, 0, frame.width, frame.height});
  const Pixel background = resolveColor(picture_.BackColor, systemColors_);
  output_.fill({frame.width, 0, window.width - frame.width, window.height}, background);
  output_.fill({0, frame.height, frame.width, window.height - frame.height}, background);
  stale_ = false;
}

void ViewPresenter::update() {
  Surface& surface = picture_.surface();
  ChangedArea changed = surface.takeChanged();
  collectLayers(picture_, systemColors_, next_);
  const bool layersMoved = next_ != shown_;
  if (changed.empty() && !layersMoved) return;  // the memory shows the frame already
  // Where the layers lay before: what they covered shows the picture again.
  if (layersMoved)
    for (const PixelRect& area : surface.layerAreas()) changed.add(area);
  const ConstRasterView frame = surface.withLayers(next_);
  if (layersMoved)
    for (const PixelRect& area : surface.layerAreas()) changed.add(area);
  std::swap(shown_, next_);
  const PixelRect whole{0, 0, frame.width, frame.height};
  if (changed.everything()) return output_.show(whole);
  for (const PixelRect& area : changed.rects()) output_.show(intersection(area, whole));
}

}  // namespace lupe
