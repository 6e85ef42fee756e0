#pragma once

#include "platform/controls/window_toolkit.hpp"

namespace lupe {

// A toolkit without a window system: the window exists in name only,
// nothing is shown, no timer runs and the event loop returns at once. It
// runs the window's logic headless, through the real form runtime: for the
// fuzz target and the benchmarks, which drive the ticks themselves.
class NullToolkit final : public WindowToolkit {
 public:
  explicit NullToolkit(PixelSize outer = {}, double twipsPerPixel = kTwipsPerPixelAt96Dpi)
      : outer_(outer), twipsPerPixel_(twipsPerPixel) {}

  WindowId createWindow(Form&) override { return 1; }
  void showWindow() override {}
  void hideWindow() override {}
  void showProperty(const Control&, PropertyId) override {}
  void showRedrawnView(const PictureBox&) override {}
  void setTimer(const Timer&, int32_t) override {}
  void setTabOrder(const std::vector<const Control*>&) override {}
  PixelSize outerSize() override { return outer_; }
  double twipsPerPixel() const override { return twipsPerPixel_; }
  void reportError(const std::string&) override {}
  int runEventLoop() override { return 0; }
  void quitEventLoop(int) override {}

 private:
  PixelSize outer_;
  double twipsPerPixel_;
};

}  // namespace lupe
