#pragma once

#include <vector>

#include "platform/controls/control_host.hpp"
#include "platform/controls/controls.hpp"
#include "platform/controls/view_composer.hpp"
#include "platform/raster/surface.hpp"

namespace lupe {

// Shows a picture box through memory that its native window shows straight
// from (a FrameOutput): the frame is composed in place, put as it lies, and
// whatever of the window the picture does not reach shows the background.
// Only what changed since the last frame is put again: what was drawn into
// the picture, and where lines or images moved or changed their look.
// The toolkit only tells it what happened to the window; every window system
// shows the view by these same rules.
class ViewPresenter {
 public:
  // The surface keeps its pixels in `output` from now on; the output
  // outlives the presenter.
  ViewPresenter(PictureBox& picture, FrameOutput& output, SystemColors systemColors);
  ViewPresenter(const ViewPresenter&) = delete;
  ViewPresenter& operator=(const ViewPresenter&) = delete;

  // An event cleared or drew the picture, or changed what lies on it: what
  // changed is shown at once while the window is visible, else the whole
  // frame when it is next painted.
  void redrawn(bool visible, PixelSize window);
  // The window's size changed, or its memory: the next paint composes the
  // frame anew and shows all of it.
  void changed() { stale_ = true; }
  // The window system asks for `area` of the window (`window` pixels large)
  // to be painted: from the memory as it is, when it holds the latest frame
  // and the area lies on the picture; else the frame is shown anew.
  void paint(const PixelRect& area, PixelSize window);

 private:
  void present(PixelSize window);
  // Shows only what changed since the last frame.
  void update();

  PictureBox& picture_;
  FrameOutput& output_;
  SystemColors systemColors_;  // made once: presenting a frame allocates nothing
  std::vector<Layer> shown_;   // the layers the memory holds
  std::vector<Layer> next_;
  bool stale_ = true;  // the memory does not hold the picture's latest frame
};

}  // namespace lupe
