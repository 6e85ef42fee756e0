// The backend's native child windows: one per control, made and kept in
// step with the control model's properties; views show their DIB section.
#include "platform/win32/win32_backend.hpp"  // windows.h first

#include <commctrl.h>
#include <windowsx.h>

#include "platform/win32/wide_text.hpp"
#include "platform/win32/win32_convert.hpp"

namespace lupe::win32 {
namespace {

bool captioned(ControlKind kind) {
  return kind == ControlKind::CommandButton || kind == ControlKind::Label ||
         kind == ControlKind::CheckBox || kind == ControlKind::Frame;
}

}  // namespace

HWND Win32Backend::makeWindow(Control& control, HWND parent) {
  const wchar_t* className = nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  switch (control.kind()) {
    case ControlKind::CommandButton:
      className = WC_BUTTONW, style |= BS_OWNERDRAW | WS_TABSTOP;
      break;
    case ControlKind::CheckBox:
      className = WC_BUTTONW, style |= BS_AUTOCHECKBOX | WS_TABSTOP;
      break;
    case ControlKind::Label:
      className = WC_STATICW, style |= SS_LEFT | SS_NOPREFIX;
      break;
    case ControlKind::Slider:
      className = TRACKBAR_CLASSW, style |= TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS | WS_TABSTOP;
      break;
    case ControlKind::Frame:
      className = kFrameClass, style |= WS_CLIPCHILDREN;
      break;
    case ControlKind::PictureBox:
      className = kViewClass, style |= WS_TABSTOP;
      break;
    default:
      return nullptr;
  }
  const HWND window =
      CreateWindowExW(0, className, L"", style, 0, 0, 0, 0, parent, nullptr, instance_, this);
  if (window && control.kind() == ControlKind::PictureBox) {
    auto view = std::make_unique<View>();
    view->picture = &static_cast<PictureBox&>(control);
    view->window = window;
    view->memory = std::make_unique<ViewMemory>(window);
    view->picture->surface().useMemory(view->memory.get());
    views_.push_back(std::move(view));
  }
  return window;
}

void Win32Backend::showAll(const Control& control) {
  const HWND window = windows_.at(&control);
  for (PropertyId id : kAllProperties) showChildProperty(control, window, id);
  ShowWindow(window, control.Visible ? SW_SHOWNA : SW_HIDE);
}

void Win32Backend::showProperty(const Control& control, PropertyId id) {
  if (!window_) return;
  if (control.kind() == ControlKind::Form) {
    if (id == PropertyId::Caption) SetWindowTextW(window_, widen(form_->Caption.get()).c_str());
    // Asks the window system; the state it grants comes back through WM_SIZE.
    if (id == PropertyId::WindowState && shown_ && form_->WindowState != state_) {
      const int16_t state = form_->WindowState;
      ShowWindow(window_, state == 2 ? SW_MAXIMIZE : state == 1 ? SW_MINIMIZE : SW_RESTORE);
    }
    return;
  }
  if (const auto window = windows_.find(&control); window != windows_.end()) {
    showChildProperty(control, window->second, id);
  } else if (const Control* container = control.container()) {
    // Lines and images are drawn by their container.
    if (View* view = viewOf(*container)) {
      viewChanged(*view);
    } else if (const auto frame = windows_.find(container); frame != windows_.end()) {
      InvalidateRect(frame->second, nullptr, TRUE);
    }
  }
}

void Win32Backend::showChildProperty(const Control& control, HWND window, PropertyId id) {
  if (id == PropertyId::Visible) {
    ShowWindow(window, control.Visible ? SW_SHOWNA : SW_HIDE);
    return;
  }
  const auto& placed = static_cast<const PlacedControl&>(control);
  switch (id) {
    case PropertyId::Left:
    case PropertyId::Top:
    case PropertyId::Width:
    case PropertyId::Height: {
      const RECT r = placeOf(placed);
      MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
      if (View* view = viewOf(control)) viewChanged(*view);
      return;
    }
    case PropertyId::Caption:
      if (!captioned(control.kind())) return;
      SetWindowTextW(window,
                     widen(static_cast<const CaptionedControl&>(control).Caption.get()).c_str());
      InvalidateRect(window, nullptr, TRUE);
      return;
    case PropertyId::Font: {
      if (!captioned(control.kind())) return;
      const HFONT font = makeFont(static_cast<const CaptionedControl&>(control).Font, dpi_);
      SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
      if (const auto old = fonts_.find(&control); old != fonts_.end()) DeleteObject(old->second);
      fonts_[&control] = font;
      InvalidateRect(window, nullptr, TRUE);
      return;
    }
    default:
      break;
  }
  switch (control.kind()) {
    case ControlKind::CommandButton:
    case ControlKind::Label:
      if (id == PropertyId::BackColor || id == PropertyId::ForeColor)
        InvalidateRect(window, nullptr, TRUE);
      return;
    case ControlKind::CheckBox:
      if (id == PropertyId::CheckValue) {
        const int16_t value = static_cast<const CheckBox&>(control).Value;
        Button_SetCheck(window, value == 1   ? BST_CHECKED
                                : value == 2 ? BST_INDETERMINATE
                                             : BST_UNCHECKED);
      }
      return;
    case ControlKind::Slider: {
      // The model holds the value already: the trackbar says nothing back
      // to a position set by code.
      const auto& slider = static_cast<const Slider&>(control);
      SendMessageW(window, TBM_SETRANGEMIN, FALSE, slider.Min);
      SendMessageW(window, TBM_SETRANGEMAX, FALSE, slider.Max);
      SendMessageW(window, TBM_SETLINESIZE, 0, slider.SmallChange);
      SendMessageW(window, TBM_SETPAGESIZE, 0, slider.LargeChange);
      SendMessageW(window, TBM_SETTICFREQ, slider.TickFrequency, 0);
      SendMessageW(window, TBM_SETPOS, TRUE, slider.Value);
      return;
    }
    case ControlKind::PictureBox:
      if (View* view = viewOf(control)) {
        if (id == PropertyId::SurfaceDrawn || id == PropertyId::SurfaceCleared) {
          if (IsWindowVisible(view->window)) {
            present(*view);
          } else {
            view->stale = true;
          }
        } else {
          viewChanged(*view);
        }
      }
      return;
    default:
      return;
  }
}

void Win32Backend::viewChanged(View& view) {
  view.stale = true;
  InvalidateRect(view.window, nullptr, FALSE);
}

// The frame is laid into the DIB section in place and blitted as it lies;
// what of the window the picture does not reach shows the background.
void Win32Backend::present(View& view) {
  const SystemColors colors = systemColors();
  const ConstRasterView frame = view.composer.composeInPlace(*view.picture, colors);
  view.memory->show({0, 0, frame.width, frame.height});
  RECT client;
  GetClientRect(view.window, &client);
  const Pixel background = resolveColor(view.picture->BackColor, colors);
  view.memory->fill({frame.width, 0, client.right - frame.width, client.bottom}, background);
  view.memory->fill({0, frame.height, frame.width, client.bottom - frame.height}, background);
  view.stale = false;
}

}  // namespace lupe::win32
