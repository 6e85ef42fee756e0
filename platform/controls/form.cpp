#include "platform/controls/form.hpp"

#include <utility>

#include "platform/controls/control_host.hpp"
#include "platform/runtime/conversions.hpp"

namespace lupe {

Form::Form(ControlHost& host, std::string name)
    : Control(*this, ControlKind::Form, std::move(name)),
      Caption(*this),
      ClientWidth(*this),
      ClientHeight(*this),
      WindowState(*this),
      Load(*this),
      Unload(*this),
      Resize(*this),
      MouseDown(*this),
      MouseUp(*this),
      host_(host) {
  WindowState.setRule([](const int16_t& v) { return v >= 0 && v <= 2; });
}

float Form::Width() const { return toSingle(host_.outerSize(*this).width * twipsPerPixel()); }
float Form::Height() const { return toSingle(host_.outerSize(*this).height * twipsPerPixel()); }
Handle Form::hWnd() const { return host_.windowHandle(*this); }
double Form::twipsPerPixel() const { return host_.twipsPerPixel(); }

void Form::UnloadWindow() { host_.unload(*this); }
void Form::EndProgram() { host_.endProgram(); }
void Form::Show() { host_.show(*this); }

}  // namespace lupe
