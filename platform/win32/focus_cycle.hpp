#pragma once

#include "platform/win32/windows_api.hpp"

#include <vector>

namespace lupe::win32 {

// Tab and Shift+Tab through the controls in TabIndex order, passing over
// those that cannot be seen or are disabled. The dialog manager would follow
// the z-order, which must stay the stacking order: our loop asks this first.
class FocusCycle {
 public:
  // The order from now on; the first visible one gets the focus.
  void set(std::vector<HWND> order);
  // Moves the focus for a Tab key inside `top`; false for any other message.
  bool handle(const MSG& message, HWND top) const;

 private:
  std::vector<HWND> order_;
};

}  // namespace lupe::win32
