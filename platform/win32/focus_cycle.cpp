#include "platform/win32/focus_cycle.hpp"

#include <utility>

namespace lupe::win32 {

void FocusCycle::set(std::vector<HWND> order) {
  order_ = std::move(order);
  for (HWND window : order_)
    if (IsWindowVisible(window)) {
      SetFocus(window);
      break;
    }
}

bool FocusCycle::handle(const MSG& message, HWND top) const {
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || order_.empty()) return false;
  if (!top || (message.hwnd != top && !IsChild(top, message.hwnd))) return false;
  const auto count = static_cast<int>(order_.size());
  int at = -1;
  for (int i = 0; i < count; ++i)
    if (order_[i] == GetFocus()) at = i;
  const int step = (GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1;
  for (int k = 1; k <= count; ++k) {
    const HWND next = order_[((at + step * k) % count + count) % count];
    if (IsWindowVisible(next) && IsWindowEnabled(next)) {
      SetFocus(next);
      break;
    }
  }
  return true;
}

}  // namespace lupe::win32
