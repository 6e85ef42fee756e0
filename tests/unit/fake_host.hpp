#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/frm_lupe.hpp"
#include "platform/controls/control_host.hpp"
#include "platform/desktop/desktop.hpp"
#include "platform/runtime/runtime_error.hpp"

namespace lupe::test {

// What happened, host and desktop together, in order: "write Slider2.Value"
// (a write was asked for), "change Slider2.Value" (a value changed),
// "redraw Picture1" (the view was cleared or drawn), a
// desktop call's name, "hWnd", "hDC", "unload", "closed", "endProgram".
using Journal = std::vector<std::string>;
// The entries that begin with `prefix`.
Journal entries(const Journal& journal, std::string_view prefix);

// A window system without windows: records what the control model tells it
// and refuses the property writes it is told to refuse.
class FakeHost final : public ControlHost {
 public:
  explicit FakeHost(Journal& journal, double twips = 15.0) : journal_(journal), twips_(twips) {}
  // Writes of this property of this control fail with error 380 from now on.
  void refuse(const Control& control, PropertyId id) { refused_.insert({&control, id}); }

  void checkWrite(const Control& control, PropertyId id) override;
  void propertyChanged(const Control& control, PropertyId id) override;
  void viewRedrawn(const PictureBox& picture) override;
  void report(const RuntimeError& error) override { reports.push_back(error); }
  double twipsPerPixel() const override { return twips_; }
  PixelSize outerSize(const Form&) override { return outer; }
  Handle windowHandle(const Form&) override { return handle("hWnd", hWnd); }
  Handle deviceContext(PictureBox&) override { return handle("hDC", pictureDC); }
  // Like the real window system: Unload first, then the window is gone.
  void unload(Form& form) override;
  void endProgram() override;
  void show(Form&) override { journal_.push_back("show"); }

  PixelSize outer{586, 292};  // 8790 x 4380 twips at 15 twips a pixel
  Handle hWnd = 0x3b0;        // 0: the window has none
  Handle pictureDC = 0x7a0;   // 0: the view offers no device context
  bool unloadFails = false;
  std::vector<RuntimeError> reports;
  int unloads = 0, ends = 0;

 private:
  Handle handle(const char* what, Handle value);

  Journal& journal_;
  double twips_;
  std::set<std::pair<const Control*, PropertyId>> refused_;
};

using Args = std::vector<int64_t>;

// The desktop calls with their arguments; device contexts are handed out one
// by one and their return is counted.
class FakeDesktop final : public Desktop {
 public:
  explicit FakeDesktop(Journal& journal) : journal_(journal) {}
  // The arguments of every call of that name, oldest first.
  std::vector<Args> argsOf(std::string_view name) const;

  Handle GetDesktopWindow() override { return log("GetDesktopWindow", desktopWindow); }
  Handle GetDC(Handle window) override;
  int32_t ReleaseDC(Handle window, Handle dc) override;
  int32_t GetCursorPos(PointApi& point) override {
    if (!cursorFails) point = cursor;
    return log("GetCursorPos", !cursorFails);
  }
  int32_t StretchBlt(Handle dst, int32_t x, int32_t y, int32_t w, int32_t h, Handle src, int32_t sx,
                     int32_t sy, int32_t sw, int32_t sh, uint32_t rop) override {
    return log("StretchBlt", 1, dst, x, y, w, h, src, sx, sy, sw, sh, rop);
  }
  int32_t SetWindowPos(Handle window, Handle after, int32_t x, int32_t y, int32_t w, int32_t h,
                       uint32_t flags) override {
    return log("SetWindowPos", 1, window, after, x, y, w, h, flags);
  }
  int32_t ReleaseCapture() override { return log("ReleaseCapture", 1); }
  int32_t SendMessageA(Handle window, uint32_t message, int32_t wParam, int32_t lParam) override {
    return log("SendMessageA", 1, window, message, wParam, lParam);
  }

  static constexpr Handle kFirstDC = 0x5000;
  Handle desktopWindow = 0x10010;  // 0 makes GetDesktopWindow fail
  bool getDCFails = false;
  PointApi cursor{};
  bool cursorFails = false;       // GetCursorPos then leaves the point as it is
  std::map<Handle, Handle> held;  // device context -> the window it was taken for
  int taken = 0, givenBack = 0;

 private:
  template <class... A>
  int32_t log(const char* name, int32_t result, A... args) {
    journal_.push_back(name);
    calls_.push_back({name, Args{static_cast<int64_t>(args)...}});
    return result;
  }

  Journal& journal_;
  std::vector<std::pair<std::string, Args>> calls_;
  Handle nextDC_ = kFirstDC;
};

// The magnifier window on the fakes as the program makes it; the journal
// starts once it is made.
struct Rig {
  explicit Rig(double twips = 15.0) : host(journal, twips) { journal.clear(); }
  Journal journal;
  FakeHost host;
  FakeDesktop desktop{journal};
  frmLupe form{host, desktop};
};

}  // namespace lupe::test
