// What the Windows backend does on its own, without a screen: handles
// through the program's 32-bit type, captions into UTF-16, and the tick's
// period and its timers. Runs only in the Windows build (under Wine here).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/windows_api.hpp"

#include "platform/controls/form.hpp"
#include "platform/controls/form_runtime.hpp"
#include "platform/controls/null_toolkit.hpp"
#include "platform/win32/handle_cast.hpp"
#include "platform/win32/precise_ticker.hpp"
#include "platform/win32/timer_ticks.hpp"
#include "platform/win32/wide_text.hpp"

namespace lupe::win32 {
namespace {

TEST(Win32, HandlesPassThroughThe32BitTypeAndBack) {
  // Sign extension gives back a handle whose low half has the top bit set.
  for (const uintptr_t value : {uintptr_t{0}, uintptr_t{0x10024}, uintptr_t{0x7fffffff},
                                ~uintptr_t{0x7ffffffe}, ~uintptr_t{0}}) {
    const auto window = reinterpret_cast<HWND>(value);
    EXPECT_EQ(fromHandle<HWND>(toHandle(window)), window) << std::hex << value;
  }
  // The logic's HWND_TOPMOST is user32's (HWND)-1.
  EXPECT_EQ(toHandle(reinterpret_cast<HWND>(-1)), lupe::HWND_TOPMOST);
  const HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetObjectType(fromHandle<HDC>(toHandle(dc))), static_cast<DWORD>(OBJ_MEMDC));
  DeleteDC(dc);
}

TEST(Win32, CaptionsBecomeUtf16) {
  const struct {
    std::string utf8;
    std::wstring utf16;
  } cases[] = {
      {"", L""},
      {"Grün", L"Gr\u00fcn"},
      {"Vergrößerung: ", L"Vergr\u00f6\u00dferung: "},
      {"Einstellungs Fenster schließen", L"Einstellungs Fenster schlie\u00dfen"},
      {"a\xff"
       "b",
       L"a\ufffd"
       L"b"},  // not UTF-8: replaced, the rest kept
  };
  for (const auto& c : cases) EXPECT_EQ(widen(c.utf8), c.utf16) << c.utf8;
}

TEST(Win32, TheTickIsDueAfterOnePeriodAndRepeatsAtIt) {
  const TimerPeriod period = timerPeriod(25);
  EXPECT_EQ(period.firstDue, -250'000);  // relative, in 100-ns units
  EXPECT_EQ(period.periodMs, 25);
}

// A UI thread that is busy for many periods finds one tick waiting, not a
// pile; a tick posted just before its timer stopped is no tick of it.
TEST(Win32, TicksDoNotPileUpBehindABusyThreadNorOutliveTheirTimer) {
  const HWND window =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  constexpr UINT kTick = WM_APP + 7;
  std::vector<WPARAM> waiting;
  const auto take = [&] {
    waiting.clear();
    MSG message;
    while (PeekMessageW(&message, window, kTick, kTick, PM_REMOVE))
      waiting.push_back(message.wParam);
    return waiting.size();
  };
  NullToolkit toolkit;
  FormRuntime runtime(toolkit, nullptr);
  Form form(runtime, "Form1");
  lupe::Timer timer(form, "Timer1");
  {
    TimerTicks ticks(kTick);
    ticks.run(window, timer, 2);
    Sleep(100);  // some fifty periods
    ASSERT_EQ(take(), 1u);
    EXPECT_EQ(ticks.due(waiting[0]), &timer);
    ticks.taken(waiting[0]);
    Sleep(100);
    ASSERT_EQ(take(), 1u);
    ticks.taken(waiting[0]);
    MSG next;  // the next is on its way when the timer stops
    for (int ms = 0; ms < 2000 && !PeekMessageW(&next, window, kTick, kTick, PM_NOREMOVE); ms += 5)
      Sleep(5);
    ticks.run(window, timer, 0);
    ASSERT_EQ(take(), 1u);
    EXPECT_EQ(ticks.due(waiting[0]), nullptr);
  }
  DestroyWindow(window);
}

}  // namespace
}  // namespace lupe::win32
