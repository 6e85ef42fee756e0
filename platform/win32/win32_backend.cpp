#include "platform/win32/win32_backend.hpp"

#include <commctrl.h>

#include "platform/win32/wide_text.hpp"

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

}  // namespace

Win32Backend::Win32Backend(HINSTANCE instance)
    : instance_(instance), dpi_(screenDpi()), children_(instance, dpi_) {
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

Win32Backend::~Win32Backend() { hideWindow(); }

HDC Win32Backend::surfaceContext(Surface& surface) const {
  const ViewWindow* view = children_.viewOf(surface);
  return view ? view->context() : nullptr;
}

WindowId Win32Backend::createWindow(Form& form) {
  form_ = &form;
  RECT outer{0, 0, devicePixel(form.ClientWidth), devicePixel(form.ClientHeight)};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  AdjustWindowRectEx(&outer, style, FALSE, 0);
  window_ = CreateWindowExW(0, kFormClass, widen(form.Caption.get()).c_str(), style, CW_USEDEFAULT,
                            CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                            nullptr, nullptr, instance_, this);
  children_.build(form, window_, this);
  return reinterpret_cast<WindowId>(window_);
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
  } else if (!IsWindowVisible(window_)) {
    ShowWindow(window_, SW_SHOW);
  }
}

void Win32Backend::hideWindow() {
  ticks_.clear();  // their threads post to the window: they go first
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  children_.clear();
}

void Win32Backend::showProperty(const Control& control, PropertyId id) {
  if (!window_) return;
  if (control.kind() != ControlKind::Form) return children_.show(control, id);
  if (id == PropertyId::Caption) SetWindowTextW(window_, widen(form_->Caption.get()).c_str());
  // Asks the window system; the state it grants comes back through WM_SIZE.
  // Before the first showing, the showing itself takes the state.
  if (id == PropertyId::WindowState && shown_) {
    const int16_t state = form_->WindowState;
    ShowWindow(window_, state == 2 ? SW_MAXIMIZE : state == 1 ? SW_MINIMIZE : SW_RESTORE);
  }
}

void Win32Backend::showRedrawnView(const PictureBox& view) {
  if (ViewWindow* window = children_.viewOf(view)) window->redrawn();
}

void Win32Backend::setTabOrder(const std::vector<const Control*>& order) {
  std::vector<HWND> windows;
  for (const Control* control : order)
    if (const HWND window = children_.windowOf(*control)) windows.push_back(window);
  focus_.set(std::move(windows));
}

void Win32Backend::setTimer(const Timer& timer, int32_t interval) {
  ticks_.run(window_, timer, interval);
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
    if (focus_.handle(message, window_)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

// The runtime has stopped the timers already.
void Win32Backend::quitEventLoop(int status) { PostQuitMessage(status); }

}  // namespace lupe::win32
