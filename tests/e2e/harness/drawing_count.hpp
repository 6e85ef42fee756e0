#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <vector>

#include <xcb/xcb.h>

#include "display.hpp"
#include "test_session.hpp"

namespace lupe::e2e {

// Counts, with X DAMAGE, how often each of a set of windows is drawn into;
// the frames drawn into any of them are the pictures of PictureCount.
class DrawingCount final : public PictureCount {
 public:
  DrawingCount(XDisplay& display, const std::vector<xcb_window_t>& windows);
  ~DrawingCount() override;
  bool available() const { return available_; }

  // Takes in what was drawn since the last call; each drawing counts once.
  void take();
  // Frames drawn into any of the windows.
  int frames() const { return frames_; }
  int of(xcb_window_t window) const {
    const auto it = counts_.find(window);
    return it == counts_.end() ? 0 : it->second;
  }
  // Starts counting afresh. A window drawn into before now, whose notice
  // may have gone, is reported again only once its damage is taken off.
  void reset() override;
  int takeFor(std::chrono::milliseconds time) override;

 private:
  XDisplay& display_;
  bool available_ = false;
  uint8_t notify_ = 0;
  std::map<uint32_t, xcb_window_t> windowOf_;  // by damage
  std::map<xcb_window_t, int> counts_;
  static constexpr uint32_t kFrameGapMs = 4;
  int frames_ = 0;
  uint32_t lastDrawn_ = 0;  // server time of the last drawing, in ms
};

}  // namespace lupe::e2e
