#include "platform/emulation/emulated_desktop.hpp"

#include <utility>

namespace lupe {

EmulatedDesktop::EmulatedDesktop(ScreenSource& screen, WindowRequests& windows)
    : screen_(screen), windows_(windows) {
  desktopWindow_ = add(Entry{Kind::DesktopWindow});
}

Handle EmulatedDesktop::add(Entry entry) {
  const Handle handle = next_;
  next_ += 4;  // like real handles: never 0, never negative in practice
  handles_.emplace(handle, std::move(entry));
  return handle;
}

const EmulatedDesktop::Entry* EmulatedDesktop::find(Handle handle, Kind kind) const {
  const auto it = handles_.find(handle);
  return it != handles_.end() && it->second.kind == kind ? &it->second : nullptr;
}

EmulatedDesktop::Entry* EmulatedDesktop::find(Handle handle, Kind kind) {
  return const_cast<Entry*>(std::as_const(*this).find(handle, kind));
}

const ScreenLook& EmulatedDesktop::lookAtScreen() {
  look_ = screen_.look();
  lookStretched_ = false;
  for (auto& [handle, entry] : handles_)
    if (entry.stretched.any()) entry.screenChanges.add(look_->changes);
  return *look_;
}

Handle EmulatedDesktop::registerWindow(WindowId window) {
  Entry entry{Kind::Window};
  entry.window = window;
  return add(std::move(entry));
}

void EmulatedDesktop::unregisterWindow(Handle window) {
  if (find(window, Kind::Window)) handles_.erase(window);
}

Handle EmulatedDesktop::registerSurface(Surface& surface, std::function<void()> drawn) {
  Entry entry{Kind::Surface};
  entry.surface = &surface;
  entry.drawn = std::move(drawn);
  return add(std::move(entry));
}

void EmulatedDesktop::unregisterSurface(Handle dc) {
  if (find(dc, Kind::Surface)) handles_.erase(dc);
}

size_t EmulatedDesktop::heldScreenContexts() const {
  size_t held = 0;
  for (const auto& [handle, entry] : handles_) held += entry.kind == Kind::ScreenContext;
  return held;
}

Handle EmulatedDesktop::GetDesktopWindow() { return desktopWindow_; }

Handle EmulatedDesktop::GetDC(Handle window) {
  // Only the desktop's image can be read; our own windows draw through their surfaces.
  if (!find(window, Kind::DesktopWindow)) return 0;
  Entry entry{Kind::ScreenContext};
  entry.owner = window;
  return add(std::move(entry));
}

int32_t EmulatedDesktop::ReleaseDC(Handle window, Handle dc) {
  const Entry* entry = find(dc, Kind::ScreenContext);
  if (!entry || entry->owner != window) return 0;
  handles_.erase(dc);
  return 1;
}

int32_t EmulatedDesktop::GetCursorPos(PointApi& point) {
  const ScreenLook& look = lookAtScreen();
  if (!look.pointer) return 0;
  point = *look.pointer;
  return 1;
}

int32_t EmulatedDesktop::StretchBlt(Handle dst, int32_t x, int32_t y, int32_t width, int32_t height,
                                    Handle src, int32_t srcX, int32_t srcY, int32_t srcWidth,
                                    int32_t srcHeight, uint32_t rop) {
  Entry* target = find(dst, Kind::Surface);
  if (!target || !find(src, Kind::ScreenContext) || rop != SRCCOPY) return 0;
  // Mirroring through negative extents is not needed by the program and not offered.
  if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) return 0;
  const PixelRect source{srcX, srcY, srcWidth, srcHeight}, stretched{x, y, width, height};
  Surface& surface = *target->surface;
  // The tick's look, taken with its pointer; a stretch without one of its
  // own since the last stretch looks anew.
  const ScreenLook& look = look_ && !lookStretched_ ? *look_ : lookAtScreen();
  lookStretched_ = true;
  const PixelRect changed = target->stretched.repeatedBy(source, stretched, surface)
                                ? target->screenChanges.within(source)
                                : source;
  target->screenChanges.clear();
  if (changed.empty()) {
    surface.keepPicture();
    return 1;
  }
  if (changed == source) {
    // What lies past the screen's edges, or cannot be read, shows black.
    const ScreenPart part = readOnScreenPart(look, source, captured_);
    stretch_.run(part.pixels, part.area, srcWidth, srcHeight, surface.pixelsToCover(stretched), x,
                 y, width, height);
  } else {
    const PixelRect relative{changed.x - srcX, changed.y - srcY, changed.width, changed.height};
    const PixelRect shown = showingPart(relative, srcWidth, srcHeight, width, height);
    const PixelRect area = intersection({x + shown.x, y + shown.y, shown.width, shown.height},
                                        {0, 0, surface.width(), surface.height()});
    if (!area.empty())
      stretchPart(look, source, stretched, area, surface.pixelsToRedraw(area));
    else
      surface.keepPicture();
  }
  target->stretched.remember(source, stretched, surface);
  if (target->drawn) target->drawn();
  return 1;
}

void EmulatedDesktop::stretchPart(const ScreenLook& look, const PixelRect& source,
                                  const PixelRect& target,
                                  const PixelRect& area, RasterView into) {
  const PixelRect inTarget{area.x - target.x, area.y - target.y, area.width, area.height};
  // The source pixels the area shows, and of those the ones on the screen.
  const StretchMap column(source.width, target.width), row(source.height, target.height);
  const int32_t sx = column(inTarget.x), sy = row(inTarget.y);
  const PixelRect read{source.x + sx, source.y + sy,
                       column(inTarget.x + inTarget.width - 1) - sx + 1,
                       row(inTarget.y + inTarget.height - 1) - sy + 1};
  const ScreenPart part = readOnScreenPart(look, read, captured_);
  const PixelRect known{part.area.x + sx, part.area.y + sy, part.area.width, part.area.height};
  stretch_.run(part.pixels, known, source.width, source.height, into.sub(area), target.x - area.x,
               target.y - area.y, target.width, target.height);
}

int32_t EmulatedDesktop::SetWindowPos(Handle window, Handle insertAfter, int32_t, int32_t, int32_t,
                                      int32_t, uint32_t flags) {
  const Entry* entry = find(window, Kind::Window);
  const uint32_t keepPlace = SWP_NOMOVE | SWP_NOSIZE;
  if (!entry || (flags & keepPlace) != keepPlace) return 0;
  if (insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST) return 0;
  return windows_.setTopmost(entry->window, insertAfter == HWND_TOPMOST) ? 1 : 0;
}

int32_t EmulatedDesktop::ReleaseCapture() { return windows_.releaseCapture() ? 1 : 0; }

int32_t EmulatedDesktop::SendMessageA(Handle window, uint32_t message, int32_t wParam, int32_t) {
  const Entry* entry = find(window, Kind::Window);
  if (!entry || message != WM_NCLBUTTONDOWN || wParam != HTCAPTION) return 0;
  return windows_.beginMove(entry->window) ? 1 : 0;
}

}  // namespace lupe
