#include "platform/win32/win32_backend.hpp"

#include <commctrl.h>

#include "platform/win32/wide_text.hpp"
#include "platform/win32/win32_convert.hpp"

namespace lupe::win32 {
namespace {

void registerClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, UINT style,
                   HICON icon = nullptr, HICON smallIcon = nullptr) {
  WNDCLASSEXW c{};
  c.cbSize = sizeof c;
  c.style = style;
  c.lpfnWndProc = proc;
  c.hInstance = instance;
  c.hIcon = icon;
  c.hIconSm = smallIcon;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  c.lpszClassName = name;
  RegisterClassExW(&c);
}

// Dots per inch of the screen the window opens on, taken once: the window's
// definition and its outer size both go through this one figure, also when
// the window later moves to a monitor of another density.
int screenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

bool paintedByContainer(const Control& control) {
  return control.kind() == ControlKind::Line || control.kind() == ControlKind::Image ||
         control.kind() == ControlKind::Timer;
}

}  // namespace

Win32Backend::Win32Backend(HINSTANCE instance)
    : instance_(instance), dpi_(screenDpi()), face_(GetSysColorBrush(COLOR_BTNFACE)) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  const auto icon = [instance](int side) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, side, side, 0));
  };
  registerClass(instance, kFormClass, windowProc, 0, icon(GetSystemMetrics(SM_CXICON)),
                icon(GetSystemMetrics(SM_CXSMICON)));
  registerClass(instance, kFrameClass, windowProc, 0);
  registerClass(instance, kViewClass, windowProc, CS_DBLCLKS);
}

Win32Backend::~Win32Backend() {
  hideWindow();
  for (const auto& [control, font] : fonts_) DeleteObject(font);
}

HDC Win32Backend::surfaceContext(Surface& surface) const {
  for (const auto& view : views_)
    if (&view->picture->surface() == &surface) return view->memory->context();
  return nullptr;
}

WindowId Win32Backend::createWindow(Form& form) {
  form_ = &form;
  RECT outer{0, 0, devicePixel(form.ClientWidth), devicePixel(form.ClientHeight)};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  AdjustWindowRectEx(&outer, style, FALSE, 0);
  window_ = CreateWindowExW(0, kFormClass, widen(form.Caption.get()).c_str(), style, CW_USEDEFAULT,
                            CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                            nullptr, nullptr, instance_, this);
  windows_.emplace(&form, window_);
  controls_.emplace(window_, &form);
  build(form, window_);
  return reinterpret_cast<WindowId>(window_);
}

void Win32Backend::build(Control& container, HWND parent) {
  for (Control* child : container.children()) {
    if (paintedByContainer(*child)) continue;
    const HWND window = makeWindow(*child, parent);
    if (!window) continue;
    windows_.emplace(child, window);
    controls_.emplace(window, child);
    showAll(*child);
    build(*child, window);
  }
  stack(container);
}

// Earlier controls lie above later ones: each goes to the top, the first last.
void Win32Backend::stack(const Control& container) {
  const auto& children = container.children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    const auto window = windows_.find(*it);
    if (window != windows_.end())
      SetWindowPos(window->second, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void Win32Backend::showWindow() {
  if (!window_) return;
  if (!shown_) {
    const int16_t state = form_->WindowState;
    ShowWindow(window_, state == 2   ? SW_SHOWMAXIMIZED
                        : state == 1 ? SW_SHOWMINIMIZED
                                     : SW_SHOWNORMAL);
    UpdateWindow(window_);
    shown_ = true;
    if (runtime_) runtime_->windowResized();  // the first showing lays the window out
  } else if (!IsWindowVisible(window_)) {
    ShowWindow(window_, SW_SHOW);
  }
}

void Win32Backend::hideWindow() {
  tickers_.clear();  // their threads post to the window: they go first
  timers_.clear();
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  windows_.clear();
  controls_.clear();
  views_.clear();
}

Control* Win32Backend::controlOf(HWND window) const {
  const auto it = controls_.find(window);
  return it == controls_.end() ? nullptr : it->second;
}

Win32Backend::View* Win32Backend::viewOf(const Control& control) {
  for (const auto& view : views_)
    if (view->picture == &control) return view.get();
  return nullptr;
}

void Win32Backend::setTabOrder(const std::vector<const Control*>& order) {
  tabOrder_.clear();
  for (const Control* control : order)
    if (const auto window = windows_.find(control); window != windows_.end())
      tabOrder_.push_back(window->second);
  for (HWND window : tabOrder_)
    if (IsWindowVisible(window)) {
      SetFocus(window);
      break;
    }
}

// Tab and Shift+Tab go through the controls in TabIndex order, passing over
// those that cannot be seen.
bool Win32Backend::moveFocus(const MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || tabOrder_.empty()) return false;
  if (!window_ || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) return false;
  const auto count = static_cast<int>(tabOrder_.size());
  int at = -1;
  for (int i = 0; i < count; ++i)
    if (tabOrder_[i] == GetFocus()) at = i;
  const int step = (GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1;
  for (int k = 1; k <= count; ++k) {
    const HWND next = tabOrder_[((at + step * k) % count + count) % count];
    if (IsWindowVisible(next) && IsWindowEnabled(next)) {
      SetFocus(next);
      break;
    }
  }
  return true;
}

void Win32Backend::setTimer(const Timer& timer, int32_t interval) {
  size_t index = 0;
  while (index < timers_.size() && timers_[index] != &timer) ++index;
  if (index == timers_.size()) {
    if (interval <= 0 || !window_) return;
    timers_.push_back(&timer);
    tickers_.push_back(std::make_unique<PreciseTicker>(window_, kTickMessage, index));
  }
  tickers_[index]->run(interval);
}

PixelSize Win32Backend::outerSize() {
  RECT r{};
  if (!window_ || !GetWindowRect(window_, &r)) return {};
  return {r.right - r.left, r.bottom - r.top};
}

// A program started from a terminal (or by Wine) has a standard error to
// write to; one started from Explorer has none and shows a message box.
void Win32Backend::reportError(const std::string& line) {
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  const std::string text = line + "\n";
  if (error && error != INVALID_HANDLE_VALUE &&
      WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
    return;
  MessageBoxW(window_, widen(line).c_str(), L"Tevka - Lupe", MB_OK | MB_ICONERROR);
}

int Win32Backend::runEventLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (moveFocus(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

// The runtime has stopped the timers already.
void Win32Backend::quitEventLoop(int status) { PostQuitMessage(status); }

}  // namespace lupe::win32
