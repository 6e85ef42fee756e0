#include "platform/win32/control_windows.hpp"

#include <commctrl.h>
#include <windowsx.h>

#include "platform/controls/control_tree.hpp"
#include "platform/win32/wide_text.hpp"
#include "platform/win32/win32_convert.hpp"

namespace lupe::win32 {
namespace {

bool captioned(ControlKind kind) {
  return kind == ControlKind::CommandButton || kind == ControlKind::Label ||
         kind == ControlKind::CheckBox || kind == ControlKind::Frame;
}

}  // namespace

ControlWindows::~ControlWindows() {
  for (const auto& [control, font] : fonts_) DeleteObject(font);
}

void ControlWindows::build(Form& form, HWND window, void* creator) {
  windows_.emplace(&form, window);
  controls_.emplace(window, &form);
  buildWindows(
      form,
      [&](Control& control) {
        const HWND child = make(control, windows_.at(control.container()), creator);
        if (!child) return;
        windows_.emplace(&control, child);
        controls_.emplace(child, &control);
        for (PropertyId id : kAllProperties) showOwn(control, child, id);
      },
      [&](const Control& container) { stack(container); });
}

// Each goes to the top from the bottom-most up, so the top-most ends there.
void ControlWindows::stack(const Control& container) {
  for (const Control* child : fromBottom(container))
    if (const auto window = windows_.find(child); window != windows_.end())
      SetWindowPos(window->second, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ControlWindows::clear() {
  views_.clear();
  windows_.clear();
  controls_.clear();
}

Control* ControlWindows::controlOf(HWND window) const {
  const auto it = controls_.find(window);
  return it == controls_.end() ? nullptr : it->second;
}

HWND ControlWindows::windowOf(const Control& control) const {
  const auto it = windows_.find(&control);
  return it == windows_.end() ? nullptr : it->second;
}

ViewWindow* ControlWindows::viewOf(const Control& control) const {
  for (const auto& view : views_)
    if (&view->picture() == &control) return view.get();
  return nullptr;
}

ViewWindow* ControlWindows::viewOf(const Surface& surface) const {
  for (const auto& view : views_)
    if (&view->picture().surface() == &surface) return view.get();
  return nullptr;
}

HFONT ControlWindows::fontOf(const Control& control) const {
  const auto it = fonts_.find(&control);
  return it == fonts_.end() ? nullptr : it->second;
}

HWND ControlWindows::make(Control& control, HWND parent, void* creator) {
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
      CreateWindowExW(0, className, L"", style, 0, 0, 0, 0, parent, nullptr, instance_, creator);
  if (window && control.kind() == ControlKind::PictureBox)
    views_.push_back(std::make_unique<ViewWindow>(static_cast<PictureBox&>(control), window));
  return window;
}

void ControlWindows::show(const Control& control, PropertyId id) {
  if (const auto window = windows_.find(&control); window != windows_.end()) {
    showOwn(control, window->second, id);
  } else if (const Control* container = control.container()) {
    // Lines and images are drawn by their container: here a panel, since
    // those on a view come as the view's redraw.
    if (const auto panel = windows_.find(container); panel != windows_.end())
      InvalidateRect(panel->second, nullptr, TRUE);
  }
}

void ControlWindows::showFont(const CaptionedControl& control, HWND window) {
  const HFONT font = makeFont(control.Font, dpi_);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (const auto old = fonts_.find(&control); old != fonts_.end()) DeleteObject(old->second);
  fonts_[&control] = font;
}

void ControlWindows::showOwn(const Control& control, HWND window, PropertyId id) {
  const auto& placed = static_cast<const PlacedControl&>(control);
  switch (id) {
    case PropertyId::Visible:
      ShowWindow(window, control.Visible ? SW_SHOWNA : SW_HIDE);
      return;
    case PropertyId::Left:
    case PropertyId::Top:
    case PropertyId::Width:
    case PropertyId::Height: {
      const RECT r = rectOf(placed);
      MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
      if (ViewWindow* view = viewOf(control)) view->changed();
      return;
    }
    case PropertyId::Caption:
    case PropertyId::Font:
      if (!captioned(control.kind())) return;
      if (id == PropertyId::Font) {
        showFont(static_cast<const CaptionedControl&>(control), window);
      } else {
        SetWindowTextW(window,
                       widen(static_cast<const CaptionedControl&>(control).Caption.get()).c_str());
      }
      InvalidateRect(window, nullptr, TRUE);
      return;
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
      if (ViewWindow* view = viewOf(control)) view->changed();
      return;
    default:
      return;
  }
}

}  // namespace lupe::win32
