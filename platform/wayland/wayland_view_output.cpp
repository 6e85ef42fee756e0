#include "platform/wayland/wayland_view_output.hpp"

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include <wayland-client.h>

namespace lupe::wayland {
namespace {

// A compositor that is alive reads an attached buffer within a frame or
// two; past this the frame is written all the same rather than the tick
// held up.
constexpr std::chrono::milliseconds kReadingTime{25};

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

}  // namespace

// Shared memory for one size of frame, and the buffer that shows a part of it.
struct WaylandViewOutput::Pool {
  int fd = -1;
  size_t bytes = 0;
  void* pixels = MAP_FAILED;
  wl_shm_pool* pool = nullptr;
  wl_buffer* buffer = nullptr;
  PixelRect part;         // of the frame, that `buffer` shows
  int32_t stride = 0;     // of the frame it was made for
  bool reading = false;   // the compositor has not yet released what was attached

  static std::unique_ptr<Pool> make(wl_shm* shm, size_t bytes) {
    auto made = std::make_unique<Pool>();
    made->fd = memfd_create("tevka-lupe-view", MFD_CLOEXEC);
    if (made->fd < 0 || ftruncate(made->fd, static_cast<off_t>(bytes)) != 0) return nullptr;
    made->pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, made->fd, 0);
    if (made->pixels == MAP_FAILED) return nullptr;
    made->bytes = bytes;
    made->pool = wl_shm_create_pool(shm, made->fd, static_cast<int32_t>(bytes));
    return made;
  }

  void dropBuffer() {
    if (buffer) wl_buffer_destroy(buffer);
    buffer = nullptr;
    reading = false;  // no release comes for a buffer gone
  }

  ~Pool() {
    dropBuffer();
    if (pool) wl_shm_pool_destroy(pool);
    if (pixels != MAP_FAILED) munmap(pixels, bytes);
    if (fd >= 0) close(fd);
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
    : display_(display), queue_(queue), globals_(globals), window_(std::move(window)) {
  surface_ = wl_compositor_create_surface(globals_.compositor);
  // The pointer goes through to the window, which hands it to the view.
  wl_region* none = wl_compositor_create_region(globals_.compositor);
  wl_surface_set_input_region(surface_, none);
  wl_region_destroy(none);
}

WaylandViewOutput::~WaylandViewOutput() {
  pool_.reset();
  if (subsurface_) wl_subsurface_destroy(subsurface_);
  wl_surface_destroy(surface_);
  wl_subcompositor_destroy(globals_.subcompositor);
  wl_compositor_destroy(globals_.compositor);
  wl_shm_destroy(globals_.shm);
  wl_display_flush(display_);
  wl_event_queue_destroy(queue_);
}

void WaylandViewOutput::followWindow() {
  wl_surface* now = window_();
  if (now == parent_) return;
  // A window's surface made anew leaves the old subsurface without a parent.
  if (subsurface_) wl_subsurface_destroy(subsurface_);
  subsurface_ = nullptr;
  mapped_ = false;
  parent_ = now;
  if (!parent_) return;
  subsurface_ = wl_subcompositor_get_subsurface(globals_.subcompositor, surface_, parent_);
  wl_subsurface_place_below(subsurface_, parent_);
  // Our commits show at once, not with the window's next one.
  wl_subsurface_set_desync(subsurface_);
}

void WaylandViewOutput::place(const ViewPlacement& placement) {
  const wl_surface* before = parent_;
  const ViewPlacement was = placement_;
  placement_ = placement;
  followWindow();
  if (!subsurface_ || (parent_ == before && placement_ == was)) return;
  // The surface begins where the visible part of the view does.
  const int32_t scale = std::max(placement_.scale, 1);
  wl_subsurface_set_position(subsurface_, placement_.x + placement_.visible.x / scale,
                             placement_.y + placement_.visible.y / scale);
  if (memory_.pixels) show({0, 0, memory_.width, memory_.height});
}

namespace {

int32_t wholeUnits(int32_t pixels, int32_t scale) { return (pixels + scale - 1) / scale * scale; }

// An edge of `part` moved to a whole unit: out to the frame's memory where
// the frame ends there (the window paints over what lies beyond), else in.
void toWholeUnits(int32_t start, int32_t& length, int32_t frameEnd, int32_t memoryEnd,
                  int32_t scale) {
  const int32_t out = wholeUnits(length, scale);
  length = start + length == frameEnd && start + out <= memoryEnd ? out : length - length % scale;
}

}  // namespace

PixelRect WaylandViewOutput::shownPart() const {
  if (!placement_.shown) return {};
  const int32_t scale = std::max(placement_.scale, 1);
  PixelRect part = intersection(placement_.visible, {0, 0, memory_.width, memory_.height});
  // A buffer of whole units of the window's surface.
  toWholeUnits(part.x, part.width, memory_.width, memory_.stride, scale);
  toWholeUnits(part.y, part.height, memory_.height, rows_, scale);
  return part;
}

RasterView WaylandViewOutput::provide(int32_t width, int32_t height) {
  awaitWritable();
  width = std::max(width, 0);
  height = std::max(height, 0);
  // Room to the next whole unit of the window's surface at its right and
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
    pool_ = Pool::make(globals_.shm, room);
    mapped_ = false;
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

void WaylandViewOutput::dispatchPending() {
  wl_display_dispatch_queue_pending(display_, queue_);
}

void WaylandViewOutput::awaitWritable() {
  if (!pool_ || !pool_->reading) return;
  dispatchPending();
  const auto deadline = std::chrono::steady_clock::now() + kReadingTime;
  while (pool_->reading && wl_display_get_error(display_) == 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    // The toolkit's thread reads the connection too; this is the way to
    // read alongside it.
    if (wl_display_prepare_read_queue(display_, queue_) != 0) {
      dispatchPending();
      continue;
    }
    wl_display_flush(display_);
    pollfd readable{wl_display_get_fd(display_), POLLIN, 0};
    if (::poll(&readable, 1, static_cast<int>(left.count())) > 0) {
      wl_display_read_events(display_);
    } else {
      wl_display_cancel_read(display_);
    }
    dispatchPending();
  }
  pool_->reading = false;
}

wl_buffer* WaylandViewOutput::bufferFor(const PixelRect& part) {
  if (pool_->buffer && pool_->part == part && pool_->stride == memory_.stride)
    return pool_->buffer;
  pool_->dropBuffer();
  const int32_t stride = memory_.stride * static_cast<int32_t>(sizeof(Pixel));
  pool_->buffer = wl_shm_pool_create_buffer(
      pool_->pool, part.y * stride + part.x * static_cast<int32_t>(sizeof(Pixel)), part.width,
      part.height, stride, WL_SHM_FORMAT_XRGB8888);
  pool_->part = part;
  pool_->stride = memory_.stride;
  static const wl_buffer_listener released{
      [](void* data, wl_buffer*) { static_cast<Pool*>(data)->reading = false; }};
  wl_buffer_add_listener(pool_->buffer, &released, pool_.get());
  return pool_->buffer;
}

void WaylandViewOutput::hide() {
  if (!mapped_) return;
  wl_surface_attach(surface_, nullptr, 0, 0);
  wl_surface_commit(surface_);
  wl_display_flush(display_);
  mapped_ = false;
}

void WaylandViewOutput::show(const PixelRect& wanted) {
  if (wl_display_get_error(display_) != 0) return;
  followWindow();
  const PixelRect part = shownPart();
  if (!subsurface_ || !pool_ || part.empty()) return hide();
  const bool whole = !mapped_ || part != attachedPart_ || placement_.scale != attachedScale_ ||
                     pool_->stride != memory_.stride;
  const PixelRect area = whole ? part : intersection(wanted, part);
  if (area.empty()) return;
  if (placement_.scale != attachedScale_) wl_surface_set_buffer_scale(surface_, placement_.scale);
  if (whole) {
    // Nothing of the window shows through: the compositor need not draw it.
    wl_region* opaque = wl_compositor_create_region(globals_.compositor);
    wl_region_add(opaque, 0, 0, part.width / placement_.scale, part.height / placement_.scale);
    wl_surface_set_opaque_region(surface_, opaque);
    wl_region_destroy(opaque);
  }
  wl_surface_attach(surface_, bufferFor(part), 0, 0);
  wl_surface_damage_buffer(surface_, area.x - part.x, area.y - part.y, area.width, area.height);
  wl_surface_commit(surface_);
  wl_display_flush(display_);
  pool_->reading = true;
  attachedPart_ = part;
  attachedScale_ = placement_.scale;
  mapped_ = true;
}

}  // namespace lupe::wayland
