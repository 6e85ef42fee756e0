#pragma once

#include "platform/win32/windows_api.hpp"

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/controls/controls.hpp"
#include "platform/controls/form.hpp"
#include "platform/controls/form_runtime.hpp"
#include "platform/controls/view_composer.hpp"
#include "platform/controls/window_toolkit.hpp"
#include "platform/win32/precise_ticker.hpp"
#include "platform/win32/view_memory.hpp"

namespace lupe::win32 {

// user32 as the form runtime's toolkit: the form is a top-level window, each
// control a native child window (buttons drawn by us in their colour,
// trackbars, static labels, a check box, a container for a frame), each
// view a child window showing its DIB section. Timers tick precisely on the
// UI thread; the message loop is ours, so that Tab follows TabIndex.
class Win32Backend final : public WindowToolkit {
 public:
  explicit Win32Backend(HINSTANCE instance);
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  // Where the user's actions and the window system's notices go.
  void attach(FormRuntime& runtime) { runtime_ = &runtime; }
  // The memory context that draws into a view's surface; nullptr for any other.
  HDC surfaceContext(Surface& surface) const;

  // WindowToolkit
  WindowId createWindow(Form& form) override;
  void showWindow() override;
  void hideWindow() override;
  void showProperty(const Control& control, PropertyId id) override;
  void setTimer(const Timer& timer, int32_t interval) override;
  void setTabOrder(const std::vector<const Control*>& order) override;
  PixelSize outerSize() override;
  double twipsPerPixel() const override { return 1440.0 / dpi_; }
  void reportError(const std::string& line) override;
  int runEventLoop() override;
  void quitEventLoop(int status) override;

 private:
  static constexpr wchar_t kFormClass[] = L"TevkaLupeForm";
  static constexpr wchar_t kFrameClass[] = L"TevkaLupeFrame";
  static constexpr wchar_t kViewClass[] = L"TevkaLupeView";
  static constexpr UINT kTickMessage = WM_APP + 1;  // wParam: the timer's index

  struct View {
    PictureBox* picture = nullptr;
    HWND window = nullptr;
    std::unique_ptr<ViewMemory> memory;
    ViewComposer composer;
    bool stale = true;  // the frame in memory is not the one to show
  };

  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT formMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT frameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT viewMessage(View& view, UINT message, WPARAM wParam, LPARAM lParam);
  // Messages the children send their container: clicks, slider moves, the
  // drawing of buttons, the colours of labels.
  bool childMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  void build(Control& container, HWND parent);
  HWND makeWindow(Control& control, HWND parent);
  void stack(const Control& container);
  void showAll(const Control& control);
  void showChildProperty(const Control& control, HWND window, PropertyId id);
  void drawButton(const DRAWITEMSTRUCT& item);
  void paintFrame(HWND window, const Frame& frame);
  void present(View& view);
  void viewChanged(View& view);
  void sizeChanged(WPARAM kind);
  void formMouse(FormRuntime::Mouse what, UINT message, LPARAM lParam);
  bool moveFocus(const MSG& message);
  Control* controlOf(HWND window) const;
  View* viewOf(const Control& control);
  template <class Action>
  void deliver(Action&& action) {
    if (runtime_) runtime_->deliver(std::forward<Action>(action));
  }

  HINSTANCE instance_;
  FormRuntime* runtime_ = nullptr;
  Form* form_ = nullptr;
  HWND window_ = nullptr;
  int dpi_ = 96;
  bool shown_ = false;
  int16_t state_ = 0;              // the window state last heard from the system
  unsigned pressedOnSurface_ = 0;  // buttons pressed over the form's own surface
  std::unordered_map<const Control*, HWND> windows_;
  std::unordered_map<HWND, Control*> controls_;
  std::unordered_map<const Control*, HFONT> fonts_;
  std::vector<std::unique_ptr<View>> views_;
  std::vector<const Timer*> timers_;
  std::vector<std::unique_ptr<PreciseTicker>> tickers_;
  std::vector<HWND> tabOrder_;
  HBRUSH face_ = nullptr;
};

}  // namespace lupe::win32
