// What the backend's windows hear from user32: the user's actions and the
// window system's notices, handed to the form runtime.
#include "platform/win32/win32_backend.hpp"  // windows.h first

#include <commctrl.h>
#include <windowsx.h>

#include "platform/win32/control_painting.hpp"
#include "platform/win32/win32_convert.hpp"

namespace lupe::win32 {

LRESULT CALLBACK Win32Backend::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* backend = reinterpret_cast<Win32Backend*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  const Control* control = backend ? backend->children_.controlOf(window) : nullptr;
  if (!control) return DefWindowProcW(window, message, wParam, lParam);
  switch (control->kind()) {
    case ControlKind::Form:
      return backend->formMessage(window, message, wParam, lParam);
    case ControlKind::Frame:
      return backend->frameMessage(window, message, wParam, lParam);
    case ControlKind::PictureBox:
      if (ViewWindow* view = backend->children_.viewOf(*control))
        return backend->viewMessage(*view, window, message, wParam, lParam);
      [[fallthrough]];
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT Win32Backend::formMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; childMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case kTickMessage:
      if (const Timer* timer = ticks_.due(wParam); timer && runtime_) runtime_->timerFired(*timer);
      // Only now may the next tick be posted: ticks never queue up. (The tick
      // may have closed the window, and its timers with it.)
      ticks_.taken(wParam);
      return 0;
    case WM_SIZE:
      sizeChanged(wParam);
      return 0;
    case WM_MOVE:
      if (runtime_) runtime_->frameChanged();
      return 0;
    case WM_CLOSE:
      // Closing runs Unload; the runtime then destroys the window itself.
      if (runtime_) runtime_->closeRequested();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      formMouse(FormRuntime::Mouse::Down, message, wParam, lParam);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      formMouse(FormRuntime::Mouse::Up, message, wParam, lParam);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void Win32Backend::sizeChanged(WPARAM kind) {
  if (kind != SIZE_RESTORED && kind != SIZE_MINIMIZED && kind != SIZE_MAXIMIZED) return;
  if (!runtime_) return;
  runtime_->windowStateChanged(kind == SIZE_MAXIMIZED ? 2 : kind == SIZE_MINIMIZED ? 1 : 0);
  runtime_->windowResized();
}

// A press or release over the form's window, where no child window took it
// (statics let theirs through): the runtime tells which presses are the
// form's own. The window keeps the mouse until the last button held comes
// up, so that the release reaches it wherever it happens.
void Win32Backend::formMouse(FormRuntime::Mouse what, UINT message, WPARAM wParam, LPARAM lParam) {
  if (what == FormRuntime::Mouse::Down) {
    SetCapture(window_);
  } else if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
    ReleaseCapture();
  }
  if (runtime_)
    runtime_->formMouse(what, buttonOf(message), shiftNow(), GET_X_LPARAM(lParam),
                        GET_Y_LPARAM(lParam));
}

bool Win32Backend::childMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const auto child = reinterpret_cast<HWND>(lParam);
  switch (message) {
    case WM_COMMAND: {
      Control* control = children_.controlOf(child);
      // A quick second click on a drawn button comes as a double-click: it is
      // a click as well.
      const WORD code = HIWORD(wParam);
      if (!control || (code != BN_CLICKED && code != BN_DOUBLECLICKED)) return false;
      if (control->kind() == ControlKind::CommandButton) {
        auto& button = static_cast<CommandButton&>(*control);
        deliver([&] { button.Click.raise(); });
      } else if (control->kind() == ControlKind::CheckBox) {
        auto& box = static_cast<CheckBox&>(*control);
        const auto value = static_cast<int16_t>(Button_GetCheck(child) == BST_CHECKED ? 1 : 0);
        deliver([&] { box.userClicked(value); });
      }
      return true;
    }
    case WM_HSCROLL: {
      // A drag raises Scroll on every move and Change once it ends; keys,
      // page steps and clicks on the track raise Change at once.
      Control* control = children_.controlOf(child);
      if (!control || control->kind() != ControlKind::Slider) return false;
      auto& slider = static_cast<Slider&>(*control);
      const auto position = static_cast<int32_t>(SendMessageW(child, TBM_GETPOS, 0, 0));
      if (LOWORD(wParam) == TB_THUMBTRACK) {
        deliver([&] { slider.userScrolled(position); });
      } else {
        deliver([&] { slider.userChanged(position); });
      }
      return true;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const Control* control = children_.controlOf(item.hwndItem);
      if (item.CtlType != ODT_BUTTON || !control || control->kind() != ControlKind::CommandButton)
        return false;
      drawButton(item, static_cast<const CommandButton&>(*control), children_.fontOf(*control));
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const Control* control = children_.controlOf(child);
      if (!control) return false;
      const auto dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, control->kind() == ControlKind::Label
                           ? toColorRef(static_cast<const Label&>(*control).ForeColor)
                           : GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      return true;
    }
    default:
      return false;
  }
}

LRESULT Win32Backend::frameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; childMessage(message, wParam, lParam, result)) return result;
  if (message == WM_ERASEBKGND) return 1;  // the paint covers every pixel: no flicker
  if (message == WM_PAINT) {
    const auto& frame = static_cast<const Frame&>(*children_.controlOf(window));
    paintPanel(window, frame, children_.fontOf(frame), panelLines_);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32Backend::viewMessage(ViewWindow& view, HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) {
  if (LRESULT result = 0; view.handle(message, result)) return result;
  switch (message) {
    case WM_LBUTTONDBLCLK: {
      // The second press of a left double-click is DblClick, not MouseDown.
      PictureBox& picture = view.picture();
      deliver([&] { picture.DblClick.raise(); });
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      PictureBox& picture = view.picture();
      const int16_t button = buttonOf(message), shift = shiftNow();
      const auto x = static_cast<float>(GET_X_LPARAM(lParam)),
                 y = static_cast<float>(GET_Y_LPARAM(lParam));
      deliver([&] { picture.MouseDown.raise(button, shift, x, y); });
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace lupe::win32
