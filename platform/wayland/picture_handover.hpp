#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "platform/raster/raster.hpp"

struct pw_buffer;

namespace lupe::wayland {

// The picture a read looks at, and the stream's count of pictures up to it.
struct ReadPicture {
  ConstRasterView pixels;
  uint64_t number = 0;
};

// Which of one stream's buffers we keep and which go back to the compositor.
// Pictures arrive on PipeWire's data thread and are read on the caller's,
// from `beginReading` until `finishReading`; the caller guards every call
// with one lock. Two rules of the compositor's side shape it. It takes its
// buffers in turn and drops the picture it meant to send when the next one
// in turn is one we still keep (mutter and KWin do not try again): so we
// keep the picture read (held) and, while a read goes on, the newest one,
// and copy the held one out before the compositor comes round to it (the
// pointer moving over a still screen sends buffers without pictures). And
// PipeWire 0.3 hands back one buffer per picture received, so a buffer we
// return beside another in one cycle waits, and a picture sent in it
// meanwhile is lost: buffers we are done with go back one per arrival.
class PictureHandover {
 public:
  // The compositor gave the stream a buffer, or took one away.
  void added() { ++buffers_; }
  void removed(pw_buffer* buffer);
  // The picture read no longer matches the stream's size.
  void formatChanged() { readingCopy_ = false; }

  // A buffer the compositor sent: with its picture's pixels, or none for a
  // move of the pointer alone. The buffer to give back now, if any.
  pw_buffer* arrived(pw_buffer* buffer, std::optional<ConstRasterView> picture);

  // A read begins with the newest picture; the picture read, if any.
  std::optional<ReadPicture> beginReading();
  void finishReading();
  // Whether there is a picture to read.
  bool hasPicture() const { return held_.buffer || newest_.buffer || readingCopy_; }

 private:
  struct Kept {
    pw_buffer* buffer = nullptr;
    ConstRasterView pixels;
  };
  void hold();
  void copyOutIfDue();

  bool reading_ = false;
  Kept held_;                     // the picture read
  Kept newest_;                   // a newer one, come during a read
  std::deque<pw_buffer*> spare_;  // to give back, one per arrival
  Raster copy_;                   // the picture read, when given back
  bool readingCopy_ = false;      // whether `copy_` holds it
  unsigned buffers_ = 0;          // as many as the compositor takes in turn
  unsigned sinceHeld_ = 0;        // buffers it sent since it sent the held one
  uint64_t pictures_ = 0;         // taken in so far
  uint64_t heldNumber_ = 0;       // the number of the one read
};

}  // namespace lupe::wayland
