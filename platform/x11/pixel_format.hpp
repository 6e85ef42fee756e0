#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <xcb/xcb.h>

#include "platform/raster/raster.hpp"

namespace lupe::x11 {

enum class ByteOrder : uint8_t { LsbFirst, MsbFirst };

// How the X server lays out a Z-format image of the root window: taken from
// the connection setup (pixmap format of the root depth, image byte order)
// and the root visual (colour masks).
struct ServerPixelFormat {
  int depth = 24;
  int bitsPerPixel = 32;
  int scanlinePad = 32;
  ByteOrder byteOrder = ByteOrder::LsbFirst;
  uint32_t redMask = 0xff0000u;
  uint32_t greenMask = 0xff00u;
  uint32_t blueMask = 0xffu;
};

// How the server lays out images of windows with `visual` (of any of the
// connection's screens); false when the server does not know it.
bool describeVisual(const xcb_setup_t* setup, xcb_visualid_t visual, ServerPixelFormat& format);

// Bytes from one row of a `width`-pixel image to the next, padded to the
// format's scanline pad; 0 for a format without a byte-sized pixel.
size_t bytesPerRow(const ServerPixelFormat& format, int32_t width);

// Turns rows of server image data into 0xffRRGGBB pixels. Built once per
// connection; converting allocates nothing.
class PixelConverter {
 public:
  explicit PixelConverter(const ServerPixelFormat& format);

  // False for layouts the magnifier cannot show: colour maps (no masks),
  // masks that are not one run of bits, pixels of 1 or 4 bits.
  bool valid() const { return path_ != Path::None; }
  // True when the server's words are our pixels already, but for the alpha byte.
  bool direct() const { return path_ == Path::Direct; }
  // Fills `out` from server data whose rows lie `rowBytes` apart. Channels
  // wider than 8 bits keep their top 8 bits; narrower ones repeat their bits
  // so that full intensity stays 0xff. Does nothing when !valid().
  void convert(const uint8_t* data, size_t rowBytes, RasterView out) const;

 private:
  struct Channel {
    uint32_t mask = 0;
    int shift = 0;  // position of the mask's lowest bit
    int width = 0;  // bits in the mask
    // Channels of 4 bits or more become 8 bits by shifts alone:
    // ((v << up) | (v >> down)) >> drop, with v the channel's bits.
    int up = 0, down = 0, drop = 0;
    std::array<uint8_t, 256> expand{};  // narrow channels: value -> 8 bits
  };
  // Direct: 32-bit words in our own layout, only the top byte to set.
  // Shifts: every channel has 4 bits or more. Table: other pixels of at most
  // 16 bits, looked up. Narrow: the rest, channel by channel.
  enum class Path { None, Direct, Shifts, Table, Narrow };
  static Channel makeChannel(uint32_t mask);
  uint32_t toPixel(uint32_t value) const;
  template <int Bytes, bool MsbFirst>
  void convertAs(const uint8_t* data, size_t rowBytes, RasterView out) const;

  ServerPixelFormat format_;
  Channel red_, green_, blue_;
  Path path_ = Path::None;
  std::vector<Pixel> table_;  // Table: every word's colour
};

}  // namespace lupe::x11
