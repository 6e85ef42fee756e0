#include "platform/win32/win32_backend.hpp"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdio>

#include "platform/win32/wide_text.hpp"
#include "platform/win32/win32_convert.hpp"

namespace lupe::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"TevkaLupeForm";
constexpr wchar_t kFrameClass[] = L"TevkaLupeFrame";
constexpr wchar_t kViewClass[] = L"TevkaLupeView";
constexpr UINT kTickMessage = WM_APP + 1;  // wParam: the timer's index

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

bool captioned(ControlKind kind) {
  return kind == ControlKind::CommandButton || kind == ControlKind::Label ||
         kind == ControlKind::CheckBox || kind == ControlKind::Frame;
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

// Earlier controls lie above later ones: each goes to the top, the first last.
void Win32Backend::stack(const Control& container) {
  const auto& children = container.children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    const auto window = windows_.find(*it);
    if (window != windows_.end())
      SetWindowPos(window->second, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void Win32Backend::showAll(const Control& control) {
  const HWND window = windows_.at(&control);
  for (PropertyId id : kAllProperties) showChildProperty(control, window, id);
  ShowWindow(window, control.Visible ? SW_SHOWNA : SW_HIDE);
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
  const ConstRasterView frame = view.composer.composeInPlace(*view.picture, systemColors());
  view.memory->show({0, 0, frame.width, frame.height});
  RECT client;
  GetClientRect(view.window, &client);
  const Pixel background = resolveColor(view.picture->BackColor, systemColors());
  view.memory->fill({frame.width, 0, client.right - frame.width, client.bottom}, background);
  view.memory->fill({0, frame.height, frame.width, client.bottom - frame.height}, background);
  view.stale = false;
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

LRESULT CALLBACK Win32Backend::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* backend = reinterpret_cast<Win32Backend*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  const Control* control = backend ? backend->controlOf(window) : nullptr;
  if (!control) return DefWindowProcW(window, message, wParam, lParam);
  switch (control->kind()) {
    case ControlKind::Form:
      return backend->formMessage(window, message, wParam, lParam);
    case ControlKind::Frame:
      return backend->frameMessage(window, message, wParam, lParam);
    case ControlKind::PictureBox:
      if (View* view = backend->viewOf(*control))
        return backend->viewMessage(*view, message, wParam, lParam);
      [[fallthrough]];
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT Win32Backend::formMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; childMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case kTickMessage:
      if (wParam < timers_.size() && runtime_) runtime_->timerFired(*timers_[wParam]);
      // Only now may the next tick be posted: ticks never queue up.
      if (wParam < tickers_.size()) tickers_[wParam]->taken();
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
      formMouse(FormRuntime::Mouse::Down, message, lParam);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      formMouse(FormRuntime::Mouse::Up, message, lParam);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void Win32Backend::sizeChanged(WPARAM kind) {
  if (kind != SIZE_RESTORED && kind != SIZE_MINIMIZED && kind != SIZE_MAXIMIZED) return;
  const int16_t state = kind == SIZE_MAXIMIZED ? 2 : kind == SIZE_MINIMIZED ? 1 : 0;
  if (!runtime_ || !shown_) return;
  if (state != state_) {
    state_ = state;
    runtime_->windowStateChanged(state);
  }
  runtime_->windowResized();
}

// A press on the window's own surface, where no control lies; its release
// counts only when the press did.
void Win32Backend::formMouse(FormRuntime::Mouse what, UINT message, LPARAM lParam) {
  const int16_t button = buttonOf(message);
  const unsigned bit = 1u << button;
  if (what == FormRuntime::Mouse::Down) {
    if (!pressedOnSurface_) SetCapture(window_);
    pressedOnSurface_ |= bit;
  } else {
    if (!(pressedOnSurface_ & bit)) return;
    pressedOnSurface_ &= ~bit;
    if (!pressedOnSurface_) ReleaseCapture();
  }
  if (runtime_)
    runtime_->formMouse(what, button, shiftNow(), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

bool Win32Backend::childMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const auto child = reinterpret_cast<HWND>(lParam);
  switch (message) {
    case WM_COMMAND: {
      Control* control = controlOf(child);
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
      Control* control = controlOf(child);
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
      if (item.CtlType != ODT_BUTTON || !controlOf(item.hwndItem)) return false;
      drawButton(item);
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const Control* control = controlOf(child);
      if (!control) return false;
      const auto dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, control->kind() == ControlKind::Label
                           ? toColorRef(static_cast<const Label&>(*control).ForeColor)
                           : GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      result = reinterpret_cast<LRESULT>(face_);
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
    paintFrame(window, static_cast<const Frame&>(*controlOf(window)));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32Backend::viewMessage(View& view, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // every pixel is painted from the picture: no flicker
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(view.window, &paint);
      const RECT& r = paint.rcPaint;
      const PixelRect area{r.left, r.top, r.right - r.left, r.bottom - r.top};
      const PixelRect picture{0, 0, view.picture->surface().width(),
                              view.picture->surface().height()};
      // Only uncovered: the memory still holds the frame, put it there again.
      if (!view.stale && intersection(area, picture) == area) {
        view.memory->show(area);
      } else {
        present(view);
      }
      EndPaint(view.window, &paint);
      return 0;
    }
    case WM_SIZE:
      view.stale = true;
      return 0;
    case WM_LBUTTONDBLCLK: {
      // The second press of a left double-click is DblClick, not MouseDown.
      PictureBox& picture = *view.picture;
      deliver([&] { picture.DblClick.raise(); });
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      PictureBox& picture = *view.picture;
      const int16_t button = buttonOf(message), shift = shiftNow();
      const auto x = static_cast<float>(GET_X_LPARAM(lParam)),
                 y = static_cast<float>(GET_Y_LPARAM(lParam));
      deliver([&] { picture.MouseDown.raise(button, shift, x, y); });
      return 0;
    }
    default:
      return DefWindowProcW(view.window, message, wParam, lParam);
  }
}

}  // namespace lupe::win32
