#include "platform/wayland/picture_handover.hpp"

#include <algorithm>
#include <utility>

namespace lupe::wayland {

// How many buffers before the compositor comes round to the held one it is
// copied out and given back: room for the pictures of one tick's read.
constexpr unsigned kCopyOutAhead = 3;

void PictureHandover::removed(pw_buffer* buffer) {
  if (newest_.buffer == buffer) newest_ = {};
  if (held_.buffer == buffer) held_ = {};
  std::erase(spare_, buffer);
  --buffers_;
}

pw_buffer* PictureHandover::arrived(pw_buffer* buffer, std::optional<ConstRasterView> picture) {
  ++sinceHeld_;
  if (!picture) {
    spare_.push_back(buffer);
  } else {
    ++pictures_;
    if (newest_.buffer) spare_.push_back(newest_.buffer);
    newest_ = {buffer, *picture};
    if (!reading_) hold();
  }
  if (!reading_) copyOutIfDue();
  if (spare_.empty()) return nullptr;
  pw_buffer* back = spare_.front();
  spare_.pop_front();
  return back;
}

std::optional<ReadPicture> PictureHandover::beginReading() {
  reading_ = true;
  hold();
  if (held_.buffer) return ReadPicture{held_.pixels, heldNumber_};
  if (readingCopy_) return ReadPicture{copy_.view(), heldNumber_};
  return std::nullopt;
}

void PictureHandover::finishReading() {
  reading_ = false;
  hold();
  copyOutIfDue();
}

// Outside reads: the newest picture becomes the one read.
void PictureHandover::hold() {
  if (!newest_.buffer) return;
  if (held_.buffer) spare_.push_back(held_.buffer);
  held_ = std::exchange(newest_, {});
  heldNumber_ = pictures_;
  readingCopy_ = false;
  sinceHeld_ = 0;
}

void PictureHandover::copyOutIfDue() {
  if (!held_.buffer || sinceHeld_ + kCopyOutAhead < buffers_) return;
  copy_.resize(held_.pixels.width, held_.pixels.height, kBlack);
  copyPixels(held_.pixels, copy_.view());
  readingCopy_ = true;
  spare_.push_back(std::exchange(held_, {}).buffer);
}

}  // namespace lupe::wayland
