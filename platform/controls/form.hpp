#pragma once

#include <string>
#include <vector>

#include "platform/controls/control.hpp"
#include "platform/desktop/desktop.hpp"
#include "platform/raster/picture.hpp"

namespace lupe {

class ControlHost;

// The window: its caption, client size and state, and every control in it.
// Its outer Width and Height are in twips, read from the window system.
class Form : public Control {
 public:
  Form(ControlHost& host, std::string name);

  ControlHost& host() const { return host_; }
  // Every control of the window in definition order (containers before their children).
  const std::vector<Control*>& controls() const { return controls_; }
  void adopt(Control& control) { controls_.push_back(&control); }

  Property<PropertyId::Caption> Caption;
  Property<PropertyId::Width> ClientWidth;        // pixels
  Property<PropertyId::Height> ClientHeight;      // pixels
  // 0 normal, 1 minimised, 2 maximised. Code's write asks the window system
  // for that state; a state the user or the window manager sets is reported back.
  Property<PropertyId::WindowState> WindowState;
  const lupe::Picture* Icon = nullptr;
  std::string LinkTopic;  // a data-exchange topic name nothing uses

  // The window's outer size, frame included, in twips (single precision).
  float Width() const;
  float Height() const;
  Handle hWnd() const;
  // Twips per pixel, the one figure used for the whole run.
  double twipsPerPixel() const;

  // "Unload Me": closes the window, raising Unload first.
  void UnloadWindow();
  // "End": stops the program at once.
  void EndProgram();
  // Shows the window, modeless and without owner; a shown window stays as it is.
  void Show();

  Event<> Load;
  Event<int16_t&> Unload;  // Cancel
  Event<> Resize;
  // A button went down, or came up after going down, over the window's own
  // surface (the client area no control covers): Button (1 left, 2 right,
  // 4 middle), Shift (1 shift, 2 ctrl, 4 alt), X, Y in twips from the client
  // area's top left, the window's own scale unit.
  Event<int16_t, int16_t, float, float> MouseDown;
  Event<int16_t, int16_t, float, float> MouseUp;

 private:
  ControlHost& host_;
  std::vector<Control*> controls_;
};

}  // namespace lupe
