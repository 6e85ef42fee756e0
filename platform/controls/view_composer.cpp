#include "platform/controls/view_composer.hpp"

#include <algorithm>

#include "platform/controls/control_tree.hpp"

namespace lupe {

Pixel resolveColor(Color color, const SystemColors& systemColors) {
  if ((color & kSystemColorFlag) && systemColors) return systemColors(color);
  return pixelFromColor(color & 0x00ffffffu);
}

std::optional<LineLayer> lineLayer(const Line& line, const SystemColors& systemColors) {
  if (!line.Visible || line.BorderStyle == 0) return std::nullopt;
  return LineLayer{devicePixel(line.X1),
                   devicePixel(line.Y1),
                   devicePixel(line.X2),
                   devicePixel(line.Y2),
                   resolveColor(line.BorderColor, systemColors),
                   line.BorderWidth,
                   line.BorderStyle != 1 && line.BorderStyle != 6};
}

namespace {

std::optional<ImageLayer> imageLayer(const Image& image) {
  if (!image.Visible || !image.Picture) return std::nullopt;
  const bool stretched = image.Stretch;
  return ImageLayer{image.Picture, devicePixel(image.Left), devicePixel(image.Top),
                    stretched ? devicePixel(image.Width) : image.Picture->width,
                    stretched ? devicePixel(image.Height) : image.Picture->height};
}

}  // namespace

void collectLayers(const Control& container, const SystemColors& systemColors,
                   std::vector<Layer>& layers) {
  layers.clear();
  for (const Control* child : fromBottom(container)) {
    if (child->kind() == ControlKind::Line) {
      if (auto line = lineLayer(static_cast<const Line&>(*child), systemColors))
        layers.push_back(*line);
    } else if (child->kind() == ControlKind::Image) {
      if (auto image = imageLayer(static_cast<const Image&>(*child))) layers.push_back(*image);
    }
  }
}

ConstRasterView ViewComposer::composeLayers(const Control& container, int32_t width, int32_t height,
                                            const SystemColors& systemColors) {
  collectLayers(container, systemColors, layers_);
  frame_.reshape(std::max(width, 0), std::max(height, 0));
  // No picture beneath: the layers alone on a clear background.
  composeFrame({}, 0, layers_, frame_.view());
  return frame_.view();
}

}  // namespace lupe
