#pragma once

#include "platform/win32/windows_api.hpp"

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/controls/controls.hpp"
#include "platform/controls/form.hpp"
#include "platform/win32/view_window.hpp"

namespace lupe::win32 {

// The window classes of the form, its panel and its views; their windows
// carry `creator` (the backend) for the window procedure.
inline constexpr wchar_t kFormClass[] = L"TevkaLupeForm";
inline constexpr wchar_t kFrameClass[] = L"TevkaLupeFrame";
inline constexpr wchar_t kViewClass[] = L"TevkaLupeView";

// A native child window for each control that has one (owner-drawn buttons,
// trackbars, statics, a check box, a container for a panel, views shown
// from their DIB section), stacked as the controls are, each kept in step
// with its control's properties.
class ControlWindows {
 public:
  ControlWindows(HINSTANCE instance, int dpi) : instance_(instance), dpi_(dpi) {}
  ~ControlWindows();
  ControlWindows(const ControlWindows&) = delete;
  ControlWindows& operator=(const ControlWindows&) = delete;

  // Makes the windows of every control of `form` inside `window`.
  void build(Form& form, HWND window, void* creator);
  // Shows one property of a control, or of what its container draws.
  void show(const Control& control, PropertyId id);
  // The windows are gone with the form's: forget them.
  void clear();

  Control* controlOf(HWND window) const;
  HWND windowOf(const Control& control) const;
  ViewWindow* viewOf(const Control& control) const;
  ViewWindow* viewOf(const Surface& surface) const;
  HFONT fontOf(const Control& control) const;

 private:
  HWND make(Control& control, HWND parent, void* creator);
  void showOwn(const Control& control, HWND window, PropertyId id);
  void showFont(const CaptionedControl& control, HWND window);
  void stack(const Control& container);

  HINSTANCE instance_;
  int dpi_;
  std::unordered_map<const Control*, HWND> windows_;
  std::unordered_map<HWND, Control*> controls_;
  std::unordered_map<const Control*, HFONT> fonts_;
  std::vector<std::unique_ptr<ViewWindow>> views_;
};

}  // namespace lupe::win32
