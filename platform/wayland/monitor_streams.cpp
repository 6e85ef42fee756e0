#include "platform/wayland/monitor_streams.hpp"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <unistd.h>

#include <utility>

#include "platform/wayland/buffer_mapping.hpp"
#include "platform/wayland/stream_params.hpp"

namespace lupe::wayland {
namespace {

const char* const kStreamEnded =
    "Tevka - Lupe: Der Desktop hat die Bildschirmfreigabe beendet (widerrufen, oder ein "
    "Monitor ist weg); die Lupe wird beendet.";
const char* const kNoPipeWire =
    "Tevka - Lupe: Keine Verbindung zu PipeWire, über das der Desktop den Bildschirm zeigt; "
    "die Lupe wird beendet.";

}  // namespace

struct MonitorStreams::Loop {
  pw_loop* loop = nullptr;
  pw_context* context = nullptr;
  pw_core* core = nullptr;
  spa_hook coreListener{};

  ~Loop() {
    if (core) {
      spa_hook_remove(&coreListener);
      pw_core_disconnect(core);
    }
    if (context) pw_context_destroy(context);
    if (loop) {
      pw_loop_leave(loop);
      pw_loop_destroy(loop);
    }
  }
};

struct MonitorStreams::Stream {
  MonitorStreams& owner;
  MonitorStream place;
  pw_stream* stream = nullptr;
  spa_hook listener{};
  pw_buffer* held = nullptr;  // the newest picture
  spa_video_info_raw format{};
  bool ended = false;
  ChangedArea changes;  // told by the compositor
  bool untold = false;  // a new picture without word of what changed

  Stream(MonitorStreams& o, const MonitorStream& p) : owner(o), place(p) {}
  ~Stream() {
    if (!stream) return;
    if (held) pw_stream_queue_buffer(stream, held);
    spa_hook_remove(&listener);
    pw_stream_destroy(stream);
  }

  // The area of a picture on the desktop: the portal's place, the stream's size.
  PixelRect area() const {
    return {place.area.x, place.area.y, static_cast<int32_t>(format.size.width),
            static_cast<int32_t>(format.size.height)};
  }

  void stateChanged(pw_stream_state, pw_stream_state state) {
    if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED) end();
  }

  void end() {
    ended = true;
    if (owner.ended_.empty()) owner.ended_ = kStreamEnded;
  }

  void paramChanged(uint32_t id, const spa_pod* param) {
    if (id != SPA_PARAM_Format || !param) return;
    spa_video_info_raw raw{};
    if (spa_format_video_raw_parse(param, &raw) < 0) return;
    format = raw;
    changes.add({place.area.x, place.area.y, static_cast<int32_t>(raw.size.width),
                 static_cast<int32_t>(raw.size.height)});

    uint8_t memory[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(memory, sizeof(memory));
    const spa_pod* params[kBufferParams];
    bufferParams(builder, params);
    pw_stream_update_params(stream, params, kBufferParams);
  }

  // Takes every buffer waiting: the pointer from each one's metadata (a move
  // of the pointer alone comes as a buffer without a picture), the newest
  // picture kept, the rest given back at once.
  void process() {
    while (pw_buffer* buffer = pw_stream_dequeue_buffer(stream)) {
      spa_buffer* b = buffer->buffer;
      readPointer(*b);
      if (!isPicture(*buffer)) {
        pw_stream_queue_buffer(stream, buffer);
        continue;
      }
      addDamage(*b);
      if (held) pw_stream_queue_buffer(stream, held);
      held = buffer;
    }
  }

  void readPointer(spa_buffer& b) {
    auto* cursor = static_cast<spa_meta_cursor*>(
        spa_buffer_find_meta_data(&b, SPA_META_Cursor, sizeof(spa_meta_cursor)));
    // A cursor without an id is on another monitor, or hidden.
    if (!cursor || !spa_meta_cursor_is_valid(cursor)) return;
    owner.hasPointer_ = true;
    owner.pointerX_ = place.area.x + cursor->position.x;
    owner.pointerY_ = place.area.y + cursor->position.y;
  }

  bool isPicture(const pw_buffer& buffer) const {
    const spa_buffer& b = *buffer.buffer;
    if (b.n_datas < 1 || !bytesOf(buffer) || !b.datas[0].chunk) return false;
    const spa_chunk& chunk = *b.datas[0].chunk;
    if (chunk.size == 0 || (chunk.flags & SPA_CHUNK_FLAG_CORRUPTED)) return false;
    const int64_t stride = chunk.stride > 0 ? chunk.stride : format.size.width * 4;
    return format.size.width > 0 &&
           static_cast<int64_t>(chunk.offset) + stride * (format.size.height - 1) +
                   int64_t{format.size.width} * 4 <= int64_t{b.datas[0].maxsize};
  }

  void addDamage(spa_buffer& b) {
    const PixelRect monitor = area();
    auto* meta = spa_buffer_find_meta(&b, SPA_META_VideoDamage);
    if (!held) {  // the first picture
      changes.add(monitor);
      return;
    }
    if (!meta) {
      untold = true;
      return;
    }
    bool any = false;
    spa_meta_region* region;
    spa_meta_for_each(region, meta) {
      if (!spa_meta_region_is_valid(region)) break;
      any = true;
      changes.add(intersection(
          monitor, {monitor.x + region->region.position.x, monitor.y + region->region.position.y,
                    static_cast<int32_t>(region->region.size.width),
                    static_cast<int32_t>(region->region.size.height)}));
    }
    if (!any) changes.add(monitor);
  }

  MonitorFrame frame() const {
    const spa_data& data = held->buffer->datas[0];
    const int32_t strideBytes =
        data.chunk->stride > 0 ? data.chunk->stride : static_cast<int32_t>(format.size.width * 4);
    return {area(), ConstRasterView(reinterpret_cast<const Pixel*>(bytesOf(*held) + data.chunk->offset),
                                    static_cast<int32_t>(format.size.width),
                                    static_cast<int32_t>(format.size.height), strideBytes / 4)};
  }
};

MonitorStreams::MonitorStreams() : loop_(std::make_unique<Loop>()) {}

MonitorStreams::~MonitorStreams() {
  streams_.clear();
  loop_.reset();
}

std::unique_ptr<MonitorStreams> MonitorStreams::open(int remote,
                                                     const std::vector<MonitorStream>& streams) {
  pw_init(nullptr, nullptr);
  std::unique_ptr<MonitorStreams> self(new MonitorStreams());
  Loop& loop = *self->loop_;
  loop.loop = pw_loop_new(nullptr);
  // Entered for good, by this thread: only then does PipeWire hand what its
  // own thread receives to this loop, waking its descriptor, rather than
  // calling us on that thread.
  if (loop.loop) pw_loop_enter(loop.loop);
  loop.context = loop.loop ? pw_context_new(loop.loop, nullptr, 0) : nullptr;
  if (!loop.context) {
    if (remote >= 0) ::close(remote);
    throw PortalError(kNoPipeWire);
  }
  loop.core = remote >= 0 ? pw_context_connect_fd(loop.context, remote, nullptr, 0)
                          : pw_context_connect(loop.context, nullptr, 0);
  if (!loop.core) throw PortalError(kNoPipeWire);
  static const pw_core_events coreEvents = [] {
    pw_core_events events{};
    events.version = PW_VERSION_CORE_EVENTS;
    events.error = [](void* data, uint32_t id, int, int, const char*) {
      auto* owner = static_cast<MonitorStreams*>(data);
      if (id == PW_ID_CORE && owner->ended_.empty()) owner->ended_ = kNoPipeWire;
    };
    return events;
  }();
  pw_core_add_listener(loop.core, &loop.coreListener, &coreEvents, self.get());

  static const pw_stream_events streamEvents = [] {
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = [](void* s, pw_stream_state old, pw_stream_state state, const char*) {
      static_cast<Stream*>(s)->stateChanged(old, state);
    };
    events.param_changed = [](void* s, uint32_t id, const spa_pod* param) {
      static_cast<Stream*>(s)->paramChanged(id, param);
    };
    events.process = [](void* s) { static_cast<Stream*>(s)->process(); };
    events.add_buffer = [](void*, pw_buffer* buffer) {
      if (buffer->buffer->n_datas > 0) buffer->user_data = Mapping::of(buffer->buffer->datas[0]);
    };
    // A stream that ends takes its buffers with it, the held one too.
    events.remove_buffer = [](void* s, pw_buffer* buffer) {
      auto* stream = static_cast<Stream*>(s);
      if (stream->held == buffer) stream->held = nullptr;
      delete static_cast<Mapping*>(std::exchange(buffer->user_data, nullptr));
    };
    return events;
  }();
  for (const MonitorStream& place : streams) {
    auto stream = std::make_unique<Stream>(*self, place);
    stream->stream = pw_stream_new(
        loop.core, "tevka-lupe",
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                          PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    if (!stream->stream) throw PortalError(kNoPipeWire);
    pw_stream_add_listener(stream->stream, &stream->listener, &streamEvents, stream.get());
    uint8_t memory[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(memory, sizeof(memory));
    const spa_pod* formats = videoFormats(builder);
    if (pw_stream_connect(stream->stream, PW_DIRECTION_INPUT, place.node,
                          PW_STREAM_FLAG_AUTOCONNECT,
                          &formats, 1) < 0)
      throw PortalError(kNoPipeWire);
    self->streams_.push_back(std::move(stream));
  }
  return self;
}

int MonitorStreams::eventDescriptor() const { return pw_loop_get_fd(loop_->loop); }

void MonitorStreams::dispatch() {
  while (pw_loop_iterate(loop_->loop, 0) > 0) {
  }
  refreshFrames();
}

void MonitorStreams::refreshFrames() {
  frames_.clear();
  for (const auto& stream : streams_)
    if (stream->held && !stream->ended) frames_.push_back(stream->frame());
}

bool MonitorStreams::pointer(int32_t& x, int32_t& y) const {
  if (!hasPointer_) return false;
  x = pointerX_;
  y = pointerY_;
  return true;
}

void MonitorStreams::takeChanges(ChangedArea& told, std::vector<PixelRect>& untold) {
  for (const auto& stream : streams_) {
    told.add(stream->changes);
    stream->changes.clear();
    if (std::exchange(stream->untold, false) && stream->held) untold.push_back(stream->area());
  }
}

}  // namespace lupe::wayland
