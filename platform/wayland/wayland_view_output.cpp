#include "platform/wayland/wayland_view_output.hpp"

#include <algorithm>
#include <cstring>

#include <wayland-client.h>

#include "platform/wayland/shm_pool.hpp"
#include "platform/wayland/view_latency.hpp"
#include "platform/wayland/view_tiles.hpp"
#include "platform/wayland/wayland_wait.hpp"

namespace lupe::wayland {
namespace {

// A compositor that is alive takes in an attached buffer within a frame or
// two; past this the frame is written all the same rather than the tick
// held up.
constexpr std::chrono::milliseconds kReadingTime{25};

// How long a picture waits for the compositor to ask for the next: past
// this, the view is likely out of sight, where no compositor asks.
constexpr std::chrono::milliseconds kFrameWait{100};

void bindGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                uint32_t version) {
  auto& globals = *static_cast<WaylandViewOutput::Globals*>(data);
  if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= 4)
    globals.compositor = static_cast<wl_compositor*>(
        wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  if (std::strcmp(interface, wl_subcompositor_interface.name) == 0)
    globals.subcompositor = static_cast<wl_subcompositor*>(
        wl_registry_bind(registry, name, &wl_subcompositor_interface, 1));
  if (std::strcmp(interface, wl_shm_interface.name) == 0)
    globals.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
}

void forgetGlobal(void*, wl_registry*, uint32_t) {}

PixelRect unite(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  const int32_t left = std::min(a.x, b.x), top = std::min(a.y, b.y);
  const int32_t right = std::max(a.x + a.width, b.x + b.width),
                bottom = std::max(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top};
}

}  // namespace

// One rectangle of the view, on a subsurface of its own, and the buffer
// that shows it from the pool.
struct WaylandViewOutput::Tile {
  wl_surface* surface = nullptr;
  wl_subsurface* subsurface = nullptr;
  PixelRect area;  // of the view, as placed
  wl_buffer* buffer = nullptr;
  PixelRect part;      // of the frame, that `buffer` shows
  int32_t stride = 0;  // of the frame it was made for
  int32_t scale = 0;
  bool reading = false;  // the compositor has not yet released what was attached
  bool mapped = false;

  explicit Tile(wl_compositor* compositor) : surface(wl_compositor_create_surface(compositor)) {
    // The pointer goes through to the window, which hands it to the view.
    wl_region* none = wl_compositor_create_region(compositor);
    wl_surface_set_input_region(surface, none);
    wl_region_destroy(none);
  }
  ~Tile() {
    dropBuffer();
    dropSubsurface();
    wl_surface_destroy(surface);
  }
  void dropBuffer() {
    if (buffer) wl_buffer_destroy(buffer);
    buffer = nullptr;
    reading = false;  // no release comes for a buffer gone
    mapped = false;
  }
  void dropSubsurface() {
    if (subsurface) wl_subsurface_destroy(subsurface);
    subsurface = nullptr;
    mapped = false;
  }
};

std::unique_ptr<WaylandViewOutput> WaylandViewOutput::open(wl_display* display,
                                                           std::function<wl_surface*()> window) {
  if (!display || wl_display_get_error(display) != 0) return nullptr;
  wl_event_queue* queue = wl_display_create_queue(display);
  auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
  Globals globals;
  static const wl_registry_listener listener{bindGlobal, forgetGlobal};
  wl_registry* registry = wl_display_get_registry(wrapper);
  wl_proxy_wrapper_destroy(wrapper);
  wl_registry_add_listener(registry, &listener, &globals);
  const bool answered = wl_display_roundtrip_queue(display, queue) >= 0;
  wl_registry_destroy(registry);
  if (!answered || !globals.compositor || !globals.subcompositor || !globals.shm) {
    if (globals.compositor) wl_compositor_destroy(globals.compositor);
    if (globals.subcompositor) wl_subcompositor_destroy(globals.subcompositor);
    if (globals.shm) wl_shm_destroy(globals.shm);
    wl_event_queue_destroy(queue);
    return nullptr;
  }
  return std::unique_ptr<WaylandViewOutput>(
      new WaylandViewOutput(display, queue, globals, std::move(window)));
}

WaylandViewOutput::WaylandViewOutput(wl_display* display, wl_event_queue* queue,
                                     Globals globals, std::function<wl_surface*()> window)
    : display_(display), queue_(queue), globals_(globals), window_(std::move(window)) {}

WaylandViewOutput::~WaylandViewOutput() {
  if (frame_) wl_callback_destroy(frame_);
  tiles_.clear();
  pool_.reset();
  wl_subcompositor_destroy(globals_.subcompositor);
  wl_compositor_destroy(globals_.compositor);
  wl_shm_destroy(globals_.shm);
  wl_display_flush(display_);
  wl_event_queue_destroy(queue_);
}

void WaylandViewOutput::followWindow() {
  wl_surface* now = window_();
  if (now != parent_) {
    // A window's surface made anew leaves the old subsurfaces without a parent.
    for (auto& tile : tiles_) tile->dropSubsurface();
    parent_ = now;
  }
  if (!parent_) return;
  const int32_t scale = std::max(placement_.scale, 1);
  for (auto& tile : tiles_) {
    if (tile->subsurface) continue;
    tile->subsurface =
        wl_subcompositor_get_subsurface(globals_.subcompositor, tile->surface, parent_);
    // Our commits show at once, not with the window's next one.
    wl_subsurface_set_desync(tile->subsurface);
    wl_subsurface_set_position(tile->subsurface, placement_.x + tile->area.x / scale,
                               placement_.y + tile->area.y / scale);
  }
}

void WaylandViewOutput::place(const ViewPlacement& placement) {
  const wl_surface* before = parent_;
  const bool moved = placement != placement_;
  if (moved) {
    placement_ = placement;
    // A tile for each rectangle.
    tiles_.resize(std::min(tiles_.size(), placement_.tiles.size()));
    while (tiles_.size() < placement_.tiles.size())
      tiles_.push_back(std::make_unique<Tile>(globals_.compositor));
    for (size_t i = 0; i < tiles_.size(); ++i) tiles_[i]->area = placement_.tiles[i];
  }
  followWindow();
  if (moved) {
    // Each where its rectangle lies, with the window's next commit.
    const int32_t scale = std::max(placement_.scale, 1);
    for (auto& tile : tiles_)
      if (tile->subsurface)
        wl_subsurface_set_position(tile->subsurface, placement_.x + tile->area.x / scale,
                                   placement_.y + tile->area.y / scale);
  }
  if ((moved || parent_ != before) && memory_.pixels) show({0, 0, memory_.width, memory_.height});
}

PixelRect WaylandViewOutput::shownPart(const Tile& tile) const {
  return tilePart(tile.area, memory_, rows_, placement_.scale);
}

RasterView WaylandViewOutput::provide(int32_t width, int32_t height) {
  awaitWritable();
  width = std::max(width, 0);
  height = std::max(height, 0);
  // Room to the next whole unit of the window's surface at the right and
  // bottom, so that the frame's last row and column can be shown.
  const int32_t scale = std::max(placement_.scale, 1);
  const int32_t stride = wholeUnits(width, scale);
  rows_ = wholeUnits(height, scale);
  const size_t bytes = std::max<size_t>(size_t(stride) * size_t(rows_) * sizeof(Pixel), 1);
  // Grown with room to spare, so a window dragged larger does not make a
  // pool per size; given back once the view needs less than half.
  if (!pool_ || bytes > pool_->bytes || bytes < pool_->bytes / 2) {
    const size_t room = pool_ && bytes > pool_->bytes
                            ? std::max(bytes, std::min(2 * pool_->bytes, bytes / 4 * 5))
                            : bytes;
    for (auto& tile : tiles_) tile->dropBuffer();
    pool_ = ShmPool::make(globals_.shm, room);
  }
  if (pool_) {
    memory_ = {static_cast<Pixel*>(pool_->pixels), width, height, stride};
  } else {
    // Nothing shows, but the view's drawing goes on.
    unshared_.reshape(width, height);
    memory_ = unshared_.view();
    rows_ = height;
  }
  return memory_;
}

bool WaylandViewOutput::reading() const {
  return std::any_of(tiles_.begin(), tiles_.end(), [](const auto& tile) { return tile->reading; });
}

void WaylandViewOutput::awaitWritable() {
  if (!reading()) return;
  // The toolkit's thread reads the connection too; the releases come to
  // our queue whoever reads them.
  dispatchUntil(display_, queue_, kReadingTime, [this] { return !reading(); });
  for (auto& tile : tiles_) tile->reading = false;
}

void WaylandViewOutput::hide() {
  unshown_ = {};
  for (auto& tile : tiles_) {
    if (!tile->mapped) continue;
    wl_surface_attach(tile->surface, nullptr, 0, 0);
    wl_surface_commit(tile->surface);
    tile->mapped = false;
  }
  wl_display_flush(display_);
}

void WaylandViewOutput::show(const PixelRect& wanted) {
  if (wl_display_get_error(display_) != 0) return;
  unshown_ = unite(unshown_, wanted);
  // One picture a frame of the compositor's, as Qt paints: each commit has
  // the compositor take in the picture at once, and one it has no time to
  // show only slows down the one it shows. What changes meanwhile goes with
  // the next, once it asks for it, or once it has not for a while.
  if (frame_ && std::chrono::steady_clock::now() - frameAsked_ < kFrameWait) return;
  commitUnshown();
}

void WaylandViewOutput::frameDone(void* data, wl_callback* callback, uint32_t) {
  auto& output = *static_cast<WaylandViewOutput*>(data);
  wl_callback_destroy(callback);
  output.frame_ = nullptr;
  if (!output.unshown_.empty()) output.commitUnshown();
}

void WaylandViewOutput::commitUnshown() {
  if (!parent_ || !pool_ || tiles_.empty()) return hide();
  const int32_t scale = std::max(placement_.scale, 1);
  const int32_t stride = memory_.stride * static_cast<int32_t>(sizeof(Pixel));
  bool committed = false;
  for (auto& tile : tiles_) {
    const PixelRect part = shownPart(*tile);
    if (!tile->subsurface) continue;
    if (part.empty()) {
      if (tile->mapped) {
        wl_surface_attach(tile->surface, nullptr, 0, 0);
        wl_surface_commit(tile->surface);
        tile->mapped = false;
      }
      continue;
    }
    const bool whole = !tile->mapped || part != tile->part ||
                       tile->stride != memory_.stride || tile->scale != scale;
    const PixelRect area = whole ? part : intersection(unshown_, part);
    if (area.empty()) continue;
    if (whole) {
      if (tile->buffer) wl_buffer_destroy(tile->buffer);
      tile->buffer = wl_shm_pool_create_buffer(
          pool_->pool, part.y * stride + part.x * static_cast<int32_t>(sizeof(Pixel)),
          part.width, part.height, stride, WL_SHM_FORMAT_XRGB8888);
      static const wl_buffer_listener released{
          [](void* data, wl_buffer*) { static_cast<Tile*>(data)->reading = false; }};
      wl_buffer_add_listener(tile->buffer, &released, tile.get());
      tile->part = part;
      tile->stride = memory_.stride;
      tile->scale = scale;
      wl_surface_set_buffer_scale(tile->surface, scale);
      // Nothing of the window shows through: the compositor need not draw it.
      wl_region* opaque = wl_compositor_create_region(globals_.compositor);
      wl_region_add(opaque, 0, 0, part.width / scale, part.height / scale);
      wl_surface_set_opaque_region(tile->surface, opaque);
      wl_region_destroy(opaque);
    }
    wl_surface_attach(tile->surface, tile->buffer, 0, 0);
    wl_surface_damage_buffer(tile->surface, area.x - part.x, area.y - part.y, area.width,
                             area.height);
    if (!committed) {
      if (frame_) wl_callback_destroy(frame_);
      frame_ = wl_surface_frame(tile->surface);
      // Told on the toolkit's own queue, which its thread dispatches: the
      // next picture goes out as soon as the compositor asks, between the
      // toolkit's events, when nothing is drawing into the memory.
      wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(frame_), nullptr);
      static const wl_callback_listener listener{frameDone};
      wl_callback_add_listener(frame_, &listener, this);
      frameAsked_ = std::chrono::steady_clock::now();
    }
    wl_surface_commit(tile->surface);
    tile->reading = true;
    tile->mapped = true;
    committed = true;
  }
  unshown_ = {};
  wl_display_flush(display_);
  if (committed) ViewLatency::instance().viewCommitted();
}

}  // namespace lupe::wayland
