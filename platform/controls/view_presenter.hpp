#pragma once

#include "platform/controls/control_host.hpp"
#include "platform/controls/controls.hpp"
#include "platform/controls/view_composer.hpp"
#include "platform/raster/surface.hpp"

namespace lupe {

// Shows a picture box through memory that its native window shows straight
// from (a FrameOutput): the frame is composed in place, put as it lies, and
// whatever of the window the picture does not reach shows the background.
// The toolkit only tells it what happened to the window; every window system
// shows the view by these same rules.
class ViewPresenter {
 public:
  // The surface keeps its pixels in `output` from now on; the output
  // outlives the presenter.
  ViewPresenter(PictureBox& picture, FrameOutput& output, SystemColors systemColors);
  ViewPresenter(const ViewPresenter&) = delete;
  ViewPresenter& operator=(const ViewPresenter&) = delete;

  // An event cleared or drew the picture: shown at once while the window is
  // visible, else when it is next painted.
  void redrawn(bool visible, PixelSize window);
  // What lies on the picture, or the window's size, changed: the next paint
  // composes the frame anew.
  void changed() { stale_ = true; }
  // The window system asks for `area` of the window (`window` pixels large)
  // to be painted: from the memory as it is, when it holds the latest frame
  // and the area lies on the picture; else the frame is shown anew.
  void paint(const PixelRect& area, PixelSize window);

 private:
  void present(PixelSize window);

  PictureBox& picture_;
  FrameOutput& output_;
  SystemColors systemColors_;  // made once: presenting a frame allocates nothing
  ViewComposer composer_;
  bool stale_ = true;  // the memory does not hold the picture's latest frame
};

}  // namespace lupe
