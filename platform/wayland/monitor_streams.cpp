#include "platform/wayland/monitor_streams.hpp"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <spa/utils/result.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/wayland/buffer_mapping.hpp"
#include "platform/wayland/picture_handover.hpp"
#include "platform/wayland/stream_buffers.hpp"
#include "platform/wayland/stream_params.hpp"
#include "platform/wayland/view_latency.hpp"

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

// A stream: its pictures handed over between PipeWire's data thread and
// the caller's (see picture_handover.hpp), with what came with them.
struct MonitorStreams::Stream {
  struct PointerReport {
    std::optional<PointApi> at;  // on the desktop; none: not on this monitor
    uint64_t order = 0;
    bool insideMonitor = false;
  };

  MonitorStreams& owner;
  MonitorStream place;
  pw_stream* stream = nullptr;
  spa_hook listener{};
  spa_video_info_raw format{};  // the caller's thread's, as is what follows
  bool ended = false;
  ChangedArea damage;                 // as the compositor said it, taken
  bool pictureWithoutDamage = false;  // a taken picture that said nothing of what changed
  PointerReport pointer;              // the last one taken

  std::mutex lock;  // guards what follows
  PictureHandover pictures;
  spa_rectangle size{};
  bool shown = false;  // a picture has arrived since the format was set
  ChangedArea arrivedDamage;
  bool arrivedWithoutDamage = false;
  std::optional<PointerReport> arrivedPointer;
  std::chrono::steady_clock::time_point newestArrival;  // of a picture
  uint64_t lastRead = 0;                                // the number of the picture last read

  Stream(MonitorStreams& o, const MonitorStream& p) : owner(o), place(p) {}
  ~Stream() {
    if (!stream) return;
    // Destroying disconnects and waits for the data thread to let go.
    spa_hook_remove(&listener);
    pw_stream_destroy(stream);
  }

  // The area of a picture of `in` size on the desktop: the stream's place.
  PixelRect area(const spa_rectangle& in) const {
    return {place.area.x, place.area.y, static_cast<int32_t>(in.width),
            static_cast<int32_t>(in.height)};
  }
  PixelRect area() const { return area(format.size); }

  std::string describe(const char* what) const {
    return "PipeWire-Strom " + std::to_string(place.node) + ": " + what;
  }

  void stateChanged(pw_stream_state state, const char* error) {
    if (state != PW_STREAM_STATE_ERROR && state != PW_STREAM_STATE_UNCONNECTED) return;
    ended = true;
    owner.end(
        {kStreamEnded, describe(error && *error ? error : pw_stream_state_as_string(state)), 1});
  }

  void paramChanged(uint32_t id, const spa_pod* param) {
    if (id != SPA_PARAM_Format || !param) return;
    spa_video_info_raw raw{};
    if (spa_format_video_raw_parse(param, &raw) < 0) return;
    format = raw;
    {
      const std::lock_guard<std::mutex> guard(lock);
      size = raw.size;
      shown = false;  // the next picture counts whole
      pictures.formatChanged();
    }

    uint8_t memory[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(memory, sizeof(memory));
    const spa_pod* params[kBufferParams];
    bufferParams(builder, params);
    pw_stream_update_params(stream, params, kBufferParams);
  }

  void added() {
    const std::lock_guard<std::mutex> guard(lock);
    pictures.added();
  }

  void removed(pw_buffer* buffer) {
    const std::lock_guard<std::mutex> guard(lock);
    pictures.removed(buffer);
  }

  // On the data thread: every buffer that came, the pointer from each one's
  // metadata (a move of the pointer alone comes as a buffer without a
  // picture), a picture handed over, then one buffer given back.
  void process() {
    const std::lock_guard<std::mutex> guard(lock);
    while (pw_buffer* buffer = pw_stream_dequeue_buffer(stream)) {
      reportPointer(*buffer->buffer);
      const std::optional<ConstRasterView> picture = pixelsOf(*buffer);
      if (picture) addDamage(*buffer->buffer);
      if (picture && ViewLatency::instance().measuring())
        newestArrival = std::chrono::steady_clock::now();
      if (pw_buffer* back = pictures.arrived(buffer, picture)) pw_stream_queue_buffer(stream, back);
      if (picture) owner.wake();
    }
  }

  std::optional<ConstRasterView> pixelsOf(const pw_buffer& buffer) const {
    const std::optional<PictureLayout> layout = pictureIn(*buffer.buffer, size);
    const uint8_t* bytes = bytesOf(buffer);
    if (!layout || !bytes) return std::nullopt;
    return ConstRasterView(reinterpret_cast<const Pixel*>(bytes + layout->offset),
                           static_cast<int32_t>(size.width), static_cast<int32_t>(size.height),
                           layout->strideBytes / 4);
  }

  void reportPointer(const spa_buffer& b) {
    if (!spa_buffer_find_meta(&b, SPA_META_Cursor)) return;
    PointerReport report{std::nullopt, ++owner.pointerReports_, false};
    if (const std::optional<PointApi> at = pointerIn(b)) {
      report.at = PointApi{place.area.x + at->x, place.area.y + at->y};
      report.insideMonitor = at->x >= 0 && at->y >= 0 && at->x < static_cast<int32_t>(size.width) &&
                             at->y < static_cast<int32_t>(size.height);
    }
    arrivedPointer = report;
  }

  void addDamage(const spa_buffer& b) {
    const PixelRect monitor = area(size);
    if (!std::exchange(shown, true)) return arrivedDamage.add(monitor);
    if (const auto said = damageIn(b, monitor)) {
      for (const PixelRect& part : *said) arrivedDamage.add(part);
    } else {
      arrivedWithoutDamage = true;
    }
  }

  // On the caller's thread: a read begins with the newest picture, and
  // what came with the pictures is taken. The picture read, if any.
  std::optional<MonitorFrame> beginReading() {
    const std::lock_guard<std::mutex> guard(lock);
    const std::optional<ReadPicture> read = pictures.beginReading();
    damage.add(arrivedDamage);
    arrivedDamage.clear();
    pictureWithoutDamage = pictureWithoutDamage || std::exchange(arrivedWithoutDamage, false);
    if (arrivedPointer) pointer = *std::exchange(arrivedPointer, std::nullopt);
    if (ended || !read) return std::nullopt;
    if (std::exchange(lastRead, read->number) != read->number)
      ViewLatency::instance().pictureTaken(newestArrival);
    return MonitorFrame{area(size), read->pixels, read->number};
  }

  void finishReading() {
    const std::lock_guard<std::mutex> guard(lock);
    pictures.finishReading();
  }

  bool hasPicture() {
    const std::lock_guard<std::mutex> guard(lock);
    return !ended && pictures.hasPicture();
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
  // PipeWire locks the buffers' metadata into memory for real-time readers,
  // all of it resident: mutter's is mostly room for a cursor bitmap we never
  // read. Unlocked, only the pages we read are resident.
  loop.context = loop.loop ? pw_context_new(loop.loop,
                                            pw_properties_new("mem.allow-mlock", "false", nullptr), 0)
                           : nullptr;
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
    events.add_buffer = [](void* s, pw_buffer* buffer) {
      BufferMapping::attachTo(*buffer);
      static_cast<Stream*>(s)->added();
    };
    // A stream that ends takes its buffers with it, the held one too.
    events.remove_buffer = [](void* s, pw_buffer* buffer) {
      static_cast<Stream*>(s)->removed(buffer);
      BufferMapping::detachFrom(*buffer);
    };
    return events;
  }();
  for (const MonitorStream& place : streams) {
    auto stream = std::make_unique<Stream>(*self, place);
    stream->stream =
        pw_stream_new(loop.core, "tevka-lupe",
                      pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                        "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    if (!stream->stream) {
      self->end(noPipeWire(stream->describe(std::strerror(errno))));
      return nullptr;
    }
    pw_stream_add_listener(stream->stream, &stream->listener, &streamEvents, stream.get());
    uint8_t memory[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(memory, sizeof(memory));
    const spa_pod* formats = videoFormats(builder);
    // Never linked anew by the session's manager: a stream whose monitor is
    // gone would show another source in its place (seen: the next monitor's).
    const auto flags = static_cast<pw_stream_flags>(
        PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_RT_PROCESS | PW_STREAM_FLAG_DONT_RECONNECT);
    if (const int result =
            pw_stream_connect(stream->stream, PW_DIRECTION_INPUT, place.node, flags, &formats, 1);
        result < 0) {
      self->end(noPipeWire(stream->describe(spa_strerror(result))));
      return nullptr;
    }
    self->streams_.push_back(std::move(stream));
  }
  return self;
}

// From the data thread: makes the loop's descriptor readable, so that the
// caller dispatches and reads the newest picture.
void MonitorStreams::wake() {
  pw_loop_invoke(
      loop_->loop, [](spa_loop*, bool, uint32_t, const void*, size_t, void*) { return 0; }, 0,
      nullptr, 0, false, nullptr);
}

int MonitorStreams::eventDescriptor() const { return pw_loop_get_fd(loop_->loop); }

void MonitorStreams::dispatch() {
  while (pw_loop_iterate(loop_->loop, 0) > 0) {
  }
  frames_.clear();
  for (const auto& stream : streams_)
    if (const std::optional<MonitorFrame> frame = stream->beginReading()) frames_.push_back(*frame);
  choosePointer();
}

void MonitorStreams::finishReading() {
  frames_.clear();
  for (const auto& stream : streams_) stream->finishReading();
}

void MonitorStreams::choosePointer() {
  const Stream::PointerReport* chosen = nullptr;
  for (const auto& stream : streams_) {
    const Stream::PointerReport& report = stream->pointer;
    if (!report.at) continue;
    const bool better =
        !chosen || (report.insideMonitor != chosen->insideMonitor ? report.insideMonitor
                                                                  : report.order > chosen->order);
    if (better) chosen = &report;
  }
  if (chosen) pointer_ = chosen->at;
}

bool MonitorStreams::allShown() const {
  for (const auto& stream : streams_)
    if (!stream->hasPicture()) return false;
  return true;
}

std::string MonitorStreams::withoutPictures() const {
  std::string list;
  for (const auto& stream : streams_) {
    if (stream->hasPicture()) continue;
    if (!list.empty()) list += "; ";
    list +=
        stream->describe(pw_stream_state_as_string(pw_stream_get_state(stream->stream, nullptr)));
    list += ", kein Bild";
  }
  return list;
}

void MonitorStreams::takeDamage(ChangedArea& damage, std::vector<PixelRect>& withoutDamage) {
  for (const auto& stream : streams_) {
    damage.add(stream->damage);
    stream->damage.clear();
    if (std::exchange(stream->pictureWithoutDamage, false)) withoutDamage.push_back(stream->area());
  }
}

}  // namespace lupe::wayland
