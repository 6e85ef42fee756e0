#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <xcb/xcb.h>

#include "platform/raster/surface.hpp"
#include "platform/x11/shm_segment.hpp"

namespace lupe::x11 {

// Shows a view's frames in its own X window straight from the memory the
// view is drawn in: a persistent MIT-SHM segment put with ShmPutImage, or,
// where MIT-SHM is missing, ordinary memory sent with PutImage. Nothing is
// copied on our side, and the memory is not written again before the server
// has finished reading it (its completion event). Has a connection of its
// own, so that the completions come back to it and to nobody else.
class X11ViewOutput final : public FrameOutput {
 public:
  // nullptr when no connection can be made or the window's pixels are not
  // laid out as ours (24 bits of colour in 32-bit words): the toolkit then
  // shows the frames its own way.
  static std::unique_ptr<X11ViewOutput> open(uint32_t window, const char* display = nullptr);
  ~X11ViewOutput() override;

  RasterView provide(int32_t width, int32_t height) override;
  void awaitWritable() override;
  void show(const PixelRect& area) override;
  void fill(const PixelRect& area, Pixel color) override;

  bool usesSharedMemory() const { return shared_; }

 private:
  X11ViewOutput(xcb_connection_t* connection, uint32_t window, uint8_t depth);
  void putPlain(const PixelRect& area);

  xcb_connection_t* connection_;
  uint32_t window_;
  uint8_t depth_;
  uint32_t gc_ = 0;
  bool shared_ = false;
  uint8_t completionEvent_ = 0;
  ShmSegment segment_;
  std::vector<Pixel> plain_;  // without MIT-SHM
  RasterView memory_;
  uint32_t lastPut_ = 0;  // sequence number of the put the server may still be reading for
  bool reading_ = false;
};

}  // namespace lupe::x11
