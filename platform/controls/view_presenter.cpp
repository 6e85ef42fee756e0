#include "platform/controls/view_presenter.hpp"

#include <utility>

namespace lupe {

ViewPresenter::ViewPresenter(PictureBox& picture, FrameOutput& output, SystemColors systemColors)
    : picture_(picture), output_(output), systemColors_(std::move(systemColors)) {
  picture_.surface().useMemory(&output_);
}

void ViewPresenter::redrawn(bool visible, PixelSize window) {
  if (visible) return present(window);
  stale_ = true;
}

void ViewPresenter::paint(const PixelRect& area, PixelSize window) {
  const PixelRect picture{0, 0, picture_.surface().width(), picture_.surface().height()};
  // Only uncovered: the memory still holds the frame, put it there again.
  if (!stale_ && intersection(area, picture) == area) return output_.show(area);
  present(window);
}

void ViewPresenter::present(PixelSize window) {
  const ConstRasterView frame = composer_.composeInPlace(picture_, systemColors_);
  output_.show({0, 0, frame.width, frame.height});
  const Pixel background = resolveColor(picture_.BackColor, systemColors_);
  output_.fill({frame.width, 0, window.width - frame.width, window.height}, background);
  output_.fill({0, frame.height, frame.width, window.height - frame.height}, background);
  stale_ = false;
}

}  // namespace lupe
