#pragma once

#include "platform/win32/windows_api.hpp"

#include "platform/controls/controls.hpp"
#include "platform/controls/view_presenter.hpp"
#include "platform/win32/view_memory.hpp"

namespace lupe::win32 {

// A view's child window, shown from its DIB section: gdi32 draws the tick
// into the section, the presenter lays the lines and the arrow into it in
// place and one BitBlt shows the frame. The window never erases: no flicker.
class ViewWindow {
 public:
  ViewWindow(PictureBox& picture, HWND window);

  PictureBox& picture() const { return picture_; }
  // The memory context that draws into the view's surface.
  HDC context() const { return memory_.context(); }

  // The picture was cleared or drawn into.
  void redrawn() { presenter_.redrawn(IsWindowVisible(window_), clientSize()); }
  // What lies on the picture, or its place, changed.
  void changed();
  // Paints, erases or notes a new size; false for any other message.
  bool handle(UINT message, LRESULT& result);

 private:
  PixelSize clientSize() const;

  PictureBox& picture_;
  HWND window_;
  ViewMemory memory_;
  ViewPresenter presenter_;
};

}  // namespace lupe::win32
