#include "test_compositor.hpp"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <thread>

#include "harness/pixels.hpp"
#include "platform/raster/changed_area.hpp"

namespace lupe::wayland::test {
namespace {

constexpr int kMostDamageRegions = 16;
constexpr std::chrono::milliseconds kFrame{8};

}  // namespace

struct TestCompositor::Monitor {
  Impl& owner;
  size_t index;  // in the row's monitors
  PixelRect area;
  pw_stream* stream = nullptr;
  spa_hook listener{};
  bool streaming = false;
  bool registered = false;  // the daemon has given its node an id
  bool sentFirst = false;
  unsigned buffers = 0;  // as PipeWire gave them
  std::chrono::steady_clock::time_point lastSent;

  Monitor(Impl& o, size_t i, const PixelRect& a) : owner(o), index(i), area(a) {}
};

struct TestCompositor::Impl {
  explicit Impl(const CompositorRow& r) : row(r), layout(row) {}

  const CompositorRow row;
  const CompositorLayout layout;  // of `row`
  pw_thread_loop* loop = nullptr;
  pw_context* context = nullptr;
  pw_core* core = nullptr;
  std::vector<std::unique_ptr<Monitor>> monitors;
  PixelRect desktop;
  Raster canvas;  // the desktop, from its top left
  PointApi pointer{-1, -1};
  unsigned dropped = 0;

  Pixel at(int32_t x, int32_t y) const { return canvas.view().row(y - desktop.y)[x - desktop.x]; }

  // Sends one buffer on `monitor`: its picture when `picture`, telling
  // `damage` the row's way, the pointer as metadata either way.
  void send(Monitor& monitor, bool picture, const std::vector<PixelRect>& damage) {
    if (!monitor.streaming) return;
    // A compositor sends at most once a frame; a buffer queued while the
    // last one's cycle still runs would wait for the next one.
    std::this_thread::sleep_until(monitor.lastSent + kFrame);
    monitor.lastSent = std::chrono::steady_clock::now();
    pw_buffer* buffer = pw_stream_dequeue_buffer(monitor.stream);
    if (!buffer) {
      if (picture) ++dropped;  // as the real ones do: the picture is not recorded
      return;
    }
    spa_buffer& b = *buffer->buffer;
    spa_data& data = b.datas[0];
    const int32_t stride = monitor.area.width * 4;
    if (picture) {
      for (int32_t y = 0; y < monitor.area.height; ++y) {
        auto* to = reinterpret_cast<Pixel*>(static_cast<uint8_t*>(data.data) + y * stride);
        for (int32_t x = 0; x < monitor.area.width; ++x)
          to[x] = at(monitor.area.x + x, monitor.area.y + y) & 0xffffffu;  // BGRx: padding 0
      }
      data.chunk->offset = 0;
      data.chunk->stride = stride;
      data.chunk->size = static_cast<uint32_t>(stride * monitor.area.height);
      data.chunk->flags = SPA_CHUNK_FLAG_NONE;
    } else {
      const bool keepsSize = row.pointerOnly == CompositorRow::PointerOnly::CorruptedWithSize;
      data.chunk->size = keepsSize ? static_cast<uint32_t>(stride * monitor.area.height) : 0;
      data.chunk->flags = row.pointerOnly == CompositorRow::PointerOnly::SizeZero
                              ? SPA_CHUNK_FLAG_NONE
                              : SPA_CHUNK_FLAG_CORRUPTED;
    }
    tellPointer(monitor, b);
    tellDamage(monitor, b, picture, damage);
    pw_stream_queue_buffer(monitor.stream, buffer);
  }

  void tellPointer(const Monitor& monitor, spa_buffer& b) {
    auto* cursor = static_cast<spa_meta_cursor*>(
        spa_buffer_find_meta_data(&b, SPA_META_Cursor, sizeof(spa_meta_cursor)));
    if (!cursor) return;
    const std::optional<PointApi> at = layout.pointerOn(monitor.index, pointer);
    cursor->id = at ? 1 : 0;
    cursor->flags = 0;
    cursor->position.x = at ? at->x : -1;
    cursor->position.y = at ? at->y : -1;
    cursor->hotspot = {0, 0};
    cursor->bitmap_offset = 0;  // no new picture of the pointer
  }

  void tellDamage(const Monitor& monitor, spa_buffer& b, bool picture,
                  const std::vector<PixelRect>& damage) {
    spa_meta* meta = spa_buffer_find_meta(&b, SPA_META_VideoDamage);
    if (!meta) return;
    auto* regions = static_cast<spa_meta_region*>(meta->data);
    const size_t room = meta->size / sizeof(spa_meta_region);
    size_t n = 0;
    auto add = [&](const PixelRect& r) {
      if (n < room)
        regions[n++].region = {{r.x - monitor.area.x, r.y - monitor.area.y},
                               {static_cast<uint32_t>(r.width), static_cast<uint32_t>(r.height)}};
    };
    if (row.damage == CompositorRow::Damage::WholeMonitor && picture) add(monitor.area);
    if (row.damage == CompositorRow::Damage::Regions && picture)
      for (const PixelRect& r : damage) add(r);
    if (n < room) regions[n].region = {};  // the list's end
  }

  void sendFirstPictures() {
    for (auto& monitor : monitors)
      if (monitor->streaming && !monitor->sentFirst) {
        monitor->sentFirst = true;
        // PipeWire 0.3 gives a reader that asks for more than the
        // compositor's most; the compositor would not use them.
        for (unsigned n = monitor->buffers; n > static_cast<unsigned>(row.mostBuffers); --n)
          pw_stream_dequeue_buffer(monitor->stream);
        send(*monitor, true, {monitor->area});
      }
  }
};

TestCompositor::TestCompositor(const CompositorRow& row) : impl_(std::make_unique<Impl>(row)) {
  Impl& impl = *impl_;
  for (const PixelRect& area : row.monitors) impl.desktop = enclosing(impl.desktop, area);
  impl.canvas = Raster(impl.desktop.width, impl.desktop.height, kBlack);
  for (int32_t y = 0; y < impl.desktop.height; ++y)
    for (int32_t x = 0; x < impl.desktop.width; ++x)
      impl.canvas.view().row(y)[x] =
          0xff000000u | e2e::patternColour(impl.desktop.x + x, impl.desktop.y + y);
  pw_init(nullptr, nullptr);
  impl.loop = pw_thread_loop_new("test-compositor", nullptr);
  impl.context =
      impl.loop ? pw_context_new(pw_thread_loop_get_loop(impl.loop), nullptr, 0) : nullptr;
  if (!impl.context || pw_thread_loop_start(impl.loop) < 0)
    throw std::runtime_error("test compositor: no PipeWire loop");
  pw_thread_loop_lock(impl.loop);
  impl.core = pw_context_connect(impl.context, nullptr, 0);
  if (!impl.core) {
    pw_thread_loop_unlock(impl.loop);
    throw std::runtime_error("test compositor: no PipeWire daemon");
  }
  static const pw_stream_events events = [] {
    pw_stream_events e{};
    e.version = PW_VERSION_STREAM_EVENTS;
    e.state_changed = [](void* data, pw_stream_state, pw_stream_state state, const char*) {
      auto* monitor = static_cast<Monitor*>(data);
      monitor->streaming = state == PW_STREAM_STATE_STREAMING;
      monitor->registered = monitor->registered || state >= PW_STREAM_STATE_PAUSED;
      pw_thread_loop_signal(monitor->owner.loop, false);
    };
    e.param_changed = [](void* data, uint32_t id, const spa_pod* param) {
      auto* monitor = static_cast<Monitor*>(data);
      if (id != SPA_PARAM_Format || !param) return;
      const CompositorRow& row = monitor->owner.row;
      uint8_t memory[1024];
      spa_pod_builder builder = SPA_POD_BUILDER_INIT(memory, sizeof(memory));
      const int32_t stride = monitor->area.width * 4;
      const spa_pod* params[4];
      uint32_t n = 0;
      params[n++] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
          &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
          SPA_POD_CHOICE_RANGE_Int(row.buffers, row.leastBuffers, row.mostBuffers),
          SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1), SPA_PARAM_BUFFERS_size,
          SPA_POD_Int(stride * monitor->area.height), SPA_PARAM_BUFFERS_stride, SPA_POD_Int(stride),
          SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int(1 << SPA_DATA_MemFd)));
      params[n++] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
          &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
          SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
      const int cursorBytes = static_cast<int>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) +
                              row.cursorSide * row.cursorSide * 4;
      params[n++] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
          &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
          SPA_POD_Id(SPA_META_Cursor), SPA_PARAM_META_size, SPA_POD_Int(cursorBytes)));
      if (row.damage != CompositorRow::Damage::None)
        params[n++] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
            SPA_POD_Id(SPA_META_VideoDamage), SPA_PARAM_META_size,
            SPA_POD_CHOICE_RANGE_Int(sizeof(spa_meta_region) * kMostDamageRegions,
                                     sizeof(spa_meta_region) * 1,
                                     sizeof(spa_meta_region) * kMostDamageRegions)));
      pw_stream_update_params(monitor->stream, params, n);
    };
    // Shared memory of our own, as the compositors allocate it.
    e.add_buffer = [](void* data, pw_buffer* buffer) {
      auto* monitor = static_cast<Monitor*>(data);
      ++monitor->buffers;
      spa_data& d = buffer->buffer->datas[0];
      const size_t size = static_cast<size_t>(monitor->area.width) * 4 * monitor->area.height;
      const int fd = memfd_create("test-compositor", MFD_CLOEXEC);
      if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) < 0) return;
      d.type = SPA_DATA_MemFd;
      d.flags = SPA_DATA_FLAG_READWRITE;
      d.fd = fd;
      d.mapoffset = 0;
      d.maxsize = static_cast<uint32_t>(size);
      d.data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    };
    e.remove_buffer = [](void*, pw_buffer* buffer) {
      spa_data& d = buffer->buffer->datas[0];
      if (d.data && d.data != MAP_FAILED) munmap(d.data, d.maxsize);
      if (d.fd >= 0) close(static_cast<int>(d.fd));
      d.data = nullptr;
      d.fd = -1;
    };
    return e;
  }();
  for (const PixelRect& area : row.monitors) {
    auto monitor = std::make_unique<Monitor>(impl, impl.monitors.size(), area);
    monitor->stream = pw_stream_new(impl.core, "lupe-test-monitor",
                                    pw_properties_new(PW_KEY_MEDIA_CLASS, "Video/Source", nullptr));
    pw_stream_add_listener(monitor->stream, &monitor->listener, &events, monitor.get());
    uint8_t memory[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(memory, sizeof(memory));
    spa_rectangle size{static_cast<uint32_t>(area.width), static_cast<uint32_t>(area.height)};
    spa_fraction variable{0, 1}, fastest{60, 1}, least{1, 1};
    const spa_pod* format = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_Id(SPA_VIDEO_FORMAT_BGRx), SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&variable), SPA_FORMAT_VIDEO_maxFramerate,
        SPA_POD_CHOICE_RANGE_Fraction(&fastest, &least, &fastest)));
    pw_stream_connect(
        monitor->stream, PW_DIRECTION_OUTPUT, PW_ID_ANY,
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_ALLOC_BUFFERS), &format,
        1);
    impl.monitors.push_back(std::move(monitor));
  }
  // The portal describes the streams by their nodes' ids.
  auto registered = [&] {
    for (const auto& monitor : impl.monitors)
      if (!monitor->registered) return false;
    return true;
  };
  for (int i = 0; i < 50 && !registered(); ++i) pw_thread_loop_timed_wait(impl.loop, 1);
  pw_thread_loop_unlock(impl.loop);
  if (!registered()) throw std::runtime_error("test compositor: PipeWire gave no node ids");
}

TestCompositor::~TestCompositor() {
  Impl& impl = *impl_;
  if (impl.loop) pw_thread_loop_lock(impl.loop);
  for (auto& monitor : impl.monitors) {
    spa_hook_remove(&monitor->listener);
    pw_stream_destroy(monitor->stream);
  }
  impl.monitors.clear();
  if (impl.core) pw_core_disconnect(impl.core);
  if (impl.loop) {
    pw_thread_loop_unlock(impl.loop);
    pw_thread_loop_stop(impl.loop);
  }
  if (impl.context) pw_context_destroy(impl.context);
  if (impl.loop) pw_thread_loop_destroy(impl.loop);
}

std::vector<PortalStream> TestCompositor::described() const {
  std::vector<PortalStream> streams;
  pw_thread_loop_lock(impl_->loop);
  for (const auto& monitor : impl_->monitors) {
    PortalStream stream{pw_stream_get_node_id(monitor->stream), std::nullopt, monitor->area.width,
                        monitor->area.height};
    if (impl_->row.portalGivesPosition)
      stream.position = impl_->layout.portalPosition(monitor->index);
    streams.push_back(stream);
  }
  pw_thread_loop_unlock(impl_->loop);
  return streams;
}

std::vector<SessionScreen> TestCompositor::screens() const {
  std::vector<SessionScreen> screens;
  for (const auto& monitor : impl_->monitors)
    screens.push_back(impl_->layout.screen(monitor->index));
  return screens;
}

bool TestCompositor::streaming() {
  pw_thread_loop_lock(impl_->loop);
  impl_->sendFirstPictures();
  bool all = true;
  for (const auto& monitor : impl_->monitors) all = all && monitor->sentFirst;
  pw_thread_loop_unlock(impl_->loop);
  return all;
}

Pixel TestCompositor::pixel(int32_t x, int32_t y) const {
  for (const auto& monitor : impl_->monitors)
    if (!intersection({x, y, 1, 1}, monitor->area).empty()) return impl_->at(x, y);
  return kBlack;
}

void TestCompositor::paint(const PixelRect& area, Pixel colour) {
  pw_thread_loop_lock(impl_->loop);
  const PixelRect& d = impl_->desktop;
  impl_->canvas.view().fill({area.x - d.x, area.y - d.y, area.width, area.height}, colour);
  for (auto& monitor : impl_->monitors) {
    const PixelRect part = intersection(area, monitor->area);
    if (!part.empty()) impl_->send(*monitor, true, {part});
  }
  pw_thread_loop_unlock(impl_->loop);
}

void TestCompositor::resend() {
  pw_thread_loop_lock(impl_->loop);
  // KWin 5.27 re-sends with an empty list; the others as they always tell.
  for (auto& monitor : impl_->monitors)
    impl_->send(*monitor, true,
                impl_->row.resendsWithEmptyDamage ? std::vector<PixelRect>{}
                                                  : std::vector<PixelRect>{monitor->area});
  pw_thread_loop_unlock(impl_->loop);
}

void TestCompositor::movePointer(int32_t x, int32_t y) {
  pw_thread_loop_lock(impl_->loop);
  impl_->pointer = {x, y};
  // The monitor under the hot spot first, the others after it: a reader
  // that took the last report it heard would be wrong where two tell one.
  std::vector<Monitor*> order;
  for (auto& monitor : impl_->monitors) {
    if (intersection({x, y, 1, 1}, monitor->area).empty())
      order.push_back(monitor.get());
    else
      order.insert(order.begin(), monitor.get());
  }
  for (Monitor* monitor : order) {
    impl_->send(*monitor, false, {});
    if (monitor == order.front()) std::this_thread::sleep_for(kFrame);  // the others surely later
  }
  pw_thread_loop_unlock(impl_->loop);
}

void TestCompositor::endMonitor(size_t index) {
  pw_thread_loop_lock(impl_->loop);
  pw_stream_disconnect(impl_->monitors.at(index)->stream);
  pw_thread_loop_unlock(impl_->loop);
}

unsigned TestCompositor::dropped() const {
  pw_thread_loop_lock(impl_->loop);
  const unsigned n = impl_->dropped;
  pw_thread_loop_unlock(impl_->loop);
  return n;
}

}  // namespace lupe::wayland::test
