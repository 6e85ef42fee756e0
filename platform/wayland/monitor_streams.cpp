#include "platform/wayland/monitor_streams.hpp"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <spa/utils/result.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

Ending noPipeWire(const std::string& cause) { return {kNoPipeWire, cause, 1}; }

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
  ChangedArea damage;               // as the compositor said it
  bool pictureWithoutDamage = false;  // a new picture that said nothing of what changed

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

  std::string describe(const char* what) const {
    return "PipeWire-Strom " + std::to_string(place.node) + ": " + what;
  }

  void stateChanged(pw_stream_state state, const char* error) {
    if (state != PW_STREAM_STATE_ERROR && state != PW_STREAM_STATE_UNCONNECTED) return;
    ended = true;
    owner.end({kStreamEnded, describe(error && *error ? error : pw_stream_state_as_string(state)),
               1});
  }

  void paramChanged(uint32_t id, const spa_pod* param) {
    if (id != SPA_PARAM_Format || !param) return;
    spa_video_info_raw raw{};
    if (spa_format_video_raw_parse(param, &raw) < 0) return;
    format = raw;
    damage.add({place.area.x, place.area.y, static_cast<int32_t>(raw.size.width),
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
    owner.pointer_ = PointApi{place.area.x + cursor->position.x, place.area.y + cursor->position.y};
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
      damage.add(monitor);
      return;
    }
    if (!meta) {
      pictureWithoutDamage = true;
      return;
    }
    bool any = false;
    spa_meta_region* region;
    spa_meta_for_each(region, meta) {
      if (!spa_meta_region_is_valid(region)) break;
      any = true;
      damage.add(intersection(
          monitor, {monitor.x + region->region.position.x, monitor.y + region->region.position.y,
                    static_cast<int32_t>(region->region.size.width),
                    static_cast<int32_t>(region->region.size.height)}));
    }
    if (!any) damage.add(monitor);
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

MonitorStreams::MonitorStreams(EndingSink ended)
    : loop_(std::make_unique<Loop>()), ended_(std::move(ended)) {}

MonitorStreams::~MonitorStreams() {
  streams_.clear();
  loop_.reset();
}

void MonitorStreams::end(Ending ending) {
  if (auto ended = std::exchange(ended_, nullptr)) ended(std::move(ending));
}

std::unique_ptr<MonitorStreams> MonitorStreams::open(int remote,
                                                     const std::vector<MonitorStream>& streams,
                                                     EndingSink ended) {
  pw_init(nullptr, nullptr);
  std::unique_ptr<MonitorStreams> self(new MonitorStreams(std::move(ended)));
  Loop& loop = *self->loop_;
  loop.loop = pw_loop_new(nullptr);
  // Entered for good, by this thread: only then does PipeWire hand what its
  // own thread receives to this loop, waking its descriptor, rather than
  // calling us on that thread.
  if (loop.loop) pw_loop_enter(loop.loop);
  loop.context = loop.loop ? pw_context_new(loop.loop, nullptr, 0) : nullptr;
  if (!loop.context) {
    if (remote >= 0) ::close(remote);
    self->end(noPipeWire(std::string("pw_context_new: ") + std::strerror(errno)));
    return nullptr;
  }
  // The remote is PipeWire's from here on, also when the connection fails.
  loop.core = remote >= 0 ? pw_context_connect_fd(loop.context, remote, nullptr, 0)
                          : pw_context_connect(loop.context, nullptr, 0);
  if (!loop.core) {
    self->end(noPipeWire(std::string("pw_context_connect: ") + std::strerror(errno)));
    return nullptr;
  }
  static const pw_core_events coreEvents = [] {
    pw_core_events events{};
    events.version = PW_VERSION_CORE_EVENTS;
    events.error = [](void* data, uint32_t id, int, int res, const char* message) {
      if (id != PW_ID_CORE) return;
      static_cast<MonitorStreams*>(data)->end(noPipeWire(
          std::string("PipeWire: ") + (message ? message : "") + " (" + spa_strerror(res) + ")"));
    };
    return events;
  }();
  pw_core_add_listener(loop.core, &loop.coreListener, &coreEvents, self.get());

  static const pw_stream_events streamEvents = [] {
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = [](void* s, pw_stream_state, pw_stream_state state, const char* error) {
      static_cast<Stream*>(s)->stateChanged(state, error);
    };
    events.param_changed = [](void* s, uint32_t id, const spa_pod* param) {
      static_cast<Stream*>(s)->paramChanged(id, param);
    };
    events.process = [](void* s) { static_cast<Stream*>(s)->process(); };
    events.add_buffer = [](void*, pw_buffer* buffer) { BufferMapping::attachTo(*buffer); };
    // A stream that ends takes its buffers with it, the held one too.
    events.remove_buffer = [](void* s, pw_buffer* buffer) {
      auto* stream = static_cast<Stream*>(s);
      if (stream->held == buffer) stream->held = nullptr;
      BufferMapping::detachFrom(*buffer);
    };
    return events;
  }();
  for (const MonitorStream& place : streams) {
    auto stream = std::make_unique<Stream>(*self, place);
    stream->stream = pw_stream_new(
        loop.core, "tevka-lupe",
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                          PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    if (!stream->stream) {
      self->end(noPipeWire(stream->describe(std::strerror(errno))));
      return nullptr;
    }
    pw_stream_add_listener(stream->stream, &stream->listener, &streamEvents, stream.get());
    uint8_t memory[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(memory, sizeof(memory));
    const spa_pod* formats = videoFormats(builder);
    if (const int result = pw_stream_connect(stream->stream, PW_DIRECTION_INPUT, place.node,
                                             PW_STREAM_FLAG_AUTOCONNECT, &formats, 1);
        result < 0) {
      self->end(noPipeWire(stream->describe(spa_strerror(result))));
      return nullptr;
    }
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

std::string MonitorStreams::withoutPictures() const {
  std::string list;
  for (const auto& stream : streams_) {
    if (stream->held && !stream->ended) continue;
    if (!list.empty()) list += "; ";
    list += stream->describe(pw_stream_state_as_string(pw_stream_get_state(stream->stream, nullptr)));
    list += ", kein Bild";
  }
  return list;
}

void MonitorStreams::takeDamage(ChangedArea& damage, std::vector<PixelRect>& withoutDamage) {
  for (const auto& stream : streams_) {
    damage.add(stream->damage);
    stream->damage.clear();
    if (std::exchange(stream->pictureWithoutDamage, false) && stream->held)
      withoutDamage.push_back(stream->area());
  }
}

}  // namespace lupe::wayland
