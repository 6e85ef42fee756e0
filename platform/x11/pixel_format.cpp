#include "platform/x11/pixel_format.hpp"

#include <bit>
#include <cstring>

namespace lupe::x11 {

namespace {

constexpr ByteOrder kHostOrder =
    std::endian::native == std::endian::little ? ByteOrder::LsbFirst : ByteOrder::MsbFirst;

bool oneRunOfBits(uint32_t mask) {
  if (mask == 0) return false;
  const uint32_t low = mask >> std::countr_zero(mask);
  return (low & (low + 1)) == 0;
}

template <int Bytes, bool MsbFirst>
uint32_t loadPixel(const uint8_t* p) {
  constexpr bool native = MsbFirst == (kHostOrder == ByteOrder::MsbFirst);
  if constexpr (Bytes == 2 && native) {
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  } else if constexpr (Bytes == 4 && native) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  } else {
    uint32_t v = 0;
    for (int i = 0; i < Bytes; ++i) {
      const int byte = MsbFirst ? Bytes - 1 - i : i;
      v |= uint32_t{p[byte]} << (8 * i);
    }
    return v;
  }
}

}  // namespace

bool describeVisual(const xcb_setup_t* setup, xcb_visualid_t visualId, ServerPixelFormat& format) {
  const xcb_visualtype_t* visual = nullptr;
  for (auto screen = xcb_setup_roots_iterator(setup); screen.rem && !visual;
       xcb_screen_next(&screen)) {
    for (auto d = xcb_screen_allowed_depths_iterator(screen.data); d.rem && !visual;
         xcb_depth_next(&d)) {
      for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
        if (v.data->visual_id == visualId) {
          visual = v.data;
          format.depth = d.data->depth;
          break;
        }
      }
    }
  }
  if (visual == nullptr) return false;
  format.bitsPerPixel = 0;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
    if (f.data->depth == format.depth) {
      format.bitsPerPixel = f.data->bits_per_pixel;
      format.scanlinePad = f.data->scanline_pad;
    }
  }
  format.byteOrder = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST ? ByteOrder::MsbFirst
                                                                          : ByteOrder::LsbFirst;
  const bool masked = visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
                      visual->_class == XCB_VISUAL_CLASS_DIRECT_COLOR;
  format.redMask = masked ? visual->red_mask : 0;
  format.greenMask = masked ? visual->green_mask : 0;
  format.blueMask = masked ? visual->blue_mask : 0;
  return true;
}

size_t bytesPerRow(const ServerPixelFormat& format, int32_t width) {
  if (format.bitsPerPixel % 8 != 0 || format.bitsPerPixel <= 0 || width <= 0) return 0;
  const int pad = format.scanlinePad > 0 ? format.scanlinePad : 8;
  const size_t bits = static_cast<size_t>(width) * format.bitsPerPixel;
  return (bits + pad - 1) / pad * pad / 8;
}

PixelConverter::Channel PixelConverter::makeChannel(uint32_t mask) {
  Channel c;
  c.mask = mask;
  if (mask == 0) return c;
  c.shift = std::countr_zero(mask);
  c.width = std::popcount(mask);
  if (c.width >= 8) {
    c.down = c.width;  // v >> width is 0
    c.drop = c.width - 8;
  } else if (c.width >= 4) {
    c.up = 8 - c.width;
    c.down = 2 * c.width - 8;
  }
  if (c.width < 8) {
    // Repeat the channel's bits until a byte is full: 5-bit 31 becomes 255,
    // 5-bit 16 becomes 132, as the colour would show on a deeper screen.
    const uint32_t max = (1u << c.width) - 1;
    for (uint32_t v = 0; v <= max; ++v) {
      uint32_t wide = 0;
      int bits = 0;
      while (bits < 8) {
        wide = (wide << c.width) | v;
        bits += c.width;
      }
      c.expand[v] = static_cast<uint8_t>(wide >> (bits - 8));
    }
  }
  return c;
}

PixelConverter::PixelConverter(const ServerPixelFormat& format) : format_(format) {
  red_ = makeChannel(format.redMask);
  green_ = makeChannel(format.greenMask);
  blue_ = makeChannel(format.blueMask);
  const int bpp = format.bitsPerPixel;
  const uint32_t all = format.redMask | format.greenMask | format.blueMask;
  const bool fits = bpp == 32 || (bpp > 0 && bpp < 32 && (all >> bpp) == 0);
  const bool valid = (bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32) && fits &&
                     oneRunOfBits(format.redMask) && oneRunOfBits(format.greenMask) &&
                     oneRunOfBits(format.blueMask) && (format.redMask & format.greenMask) == 0 &&
                     (format.redMask & format.blueMask) == 0 &&
                     (format.greenMask & format.blueMask) == 0;
  if (!valid) return;
  if (bpp == 32 && format.byteOrder == kHostOrder && format.redMask == 0xff0000u &&
      format.greenMask == 0xff00u && format.blueMask == 0xffu) {
    path_ = Path::Direct;
  } else if (bpp >= 16 && red_.width >= 4 && green_.width >= 4 && blue_.width >= 4) {
    path_ = Path::Shifts;
  } else if (bpp <= 16) {
    table_.resize(size_t{1} << bpp);
    for (uint32_t v = 0; v < table_.size(); ++v) table_[v] = toPixel(v);
    path_ = Path::Table;
  } else {
    path_ = Path::Narrow;
  }
}

uint32_t PixelConverter::toPixel(uint32_t value) const {
  auto channel = [value](const Channel& c) -> uint32_t {
    const uint32_t v = (value & c.mask) >> c.shift;
    return c.width >= 8 ? (v >> (c.width - 8)) : c.expand[v];
  };
  return 0xff000000u | channel(red_) << 16 | channel(green_) << 8 | channel(blue_);
}

template <int Bytes, bool MsbFirst>
void PixelConverter::convertAs(const uint8_t* data, size_t rowBytes, RasterView out) const {
  const Pixel* table = table_.data();
  // Copies of the channel constants, so the loops keep them in registers.
  const Channel r = red_, g = green_, b = blue_;
  auto eight = [](uint32_t value, const Channel& c) {
    const uint32_t v = (value >> c.shift) & (c.mask >> c.shift);
    return (((v << c.up) | (v >> c.down)) >> c.drop) & 0xffu;
  };
  for (int32_t y = 0; y < out.height; ++y) {
    const uint8_t* src = data + y * rowBytes;
    Pixel* dst = out.row(y);
    switch (path_) {
      case Path::Shifts:
        for (int32_t x = 0; x < out.width; ++x) {
          const uint32_t v = loadPixel<Bytes, MsbFirst>(src + x * Bytes);
          dst[x] = 0xff000000u | eight(v, r) << 16 | eight(v, g) << 8 | eight(v, b);
        }
        break;
      case Path::Table:
        for (int32_t x = 0; x < out.width; ++x)
          dst[x] = table[loadPixel<Bytes, MsbFirst>(src + x * Bytes)];
        break;
      default:
        for (int32_t x = 0; x < out.width; ++x)
          dst[x] = toPixel(loadPixel<Bytes, MsbFirst>(src + x * Bytes));
        break;
    }
  }
}

void PixelConverter::convert(const uint8_t* data, size_t rowBytes, RasterView out) const {
  const bool msb = format_.byteOrder == ByteOrder::MsbFirst;
  switch (path_) {
    case Path::None:
      return;
    case Path::Direct:
      // The common screen: the server's words are ours but for the
      // undefined top byte.
      for (int32_t y = 0; y < out.height; ++y) {
        const uint8_t* src = data + y * rowBytes;
        Pixel* dst = out.row(y);
        for (int32_t x = 0; x < out.width; ++x) {
          uint32_t v;
          std::memcpy(&v, src + 4 * static_cast<size_t>(x), sizeof v);
          dst[x] = v | 0xff000000u;
        }
      }
      return;
    default:
      break;
  }
  switch (format_.bitsPerPixel) {
    case 8:
      return convertAs<1, false>(data, rowBytes, out);
    case 16:
      return msb ? convertAs<2, true>(data, rowBytes, out)
                 : convertAs<2, false>(data, rowBytes, out);
    case 24:
      return msb ? convertAs<3, true>(data, rowBytes, out)
                 : convertAs<3, false>(data, rowBytes, out);
    default:
      return msb ? convertAs<4, true>(data, rowBytes, out)
                 : convertAs<4, false>(data, rowBytes, out);
  }
}

}  // namespace lupe::x11
