#pragma once

// windows.h for the backend. It defines the constants the program's logic
// declares itself (HWND_TOPMOST, SRCCOPY, ...) as macros, which would turn
// the logic's declarations into nonsense; their values are the same, so the
// macros go and the logic's constants stand for both. Include this instead
// of windows.h.
#include <windows.h>

#undef HWND_TOPMOST
#undef HWND_NOTOPMOST
#undef SWP_NOSIZE
#undef SWP_NOMOVE
#undef SRCCOPY
#undef WM_NCLBUTTONDOWN
#undef HTCAPTION

#include "platform/desktop/desktop.hpp"
