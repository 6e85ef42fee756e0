// The composition root of the Windows program: the user32 backend and the
// desktop calls of user32 and gdi32, then frmLupe, as on X11.
#include "platform/win32/windows_api.hpp"

#include "app/frm_lupe.hpp"
#include "platform/controls/form_runtime.hpp"
#include "platform/win32/win32_backend.hpp"
#include "platform/win32/win32_desktop.hpp"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  lupe::win32::Win32Backend toolkit(instance);
  lupe::win32::Win32Desktop desktop(
      [&toolkit](lupe::Surface& surface) { return toolkit.surfaceContext(surface); });
  lupe::FormRuntime runtime(toolkit, &desktop);
  toolkit.attach(runtime);
  lupe::frmLupe form(runtime, desktop);
  return runtime.run(form);
}
