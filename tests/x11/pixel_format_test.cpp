#include "platform/x11/pixel_format.hpp"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace lupe::x11 {
namespace {

// Server data for one row, each pixel's word stored in `bytes` bytes in the
// given byte order, with `padding` bytes of garbage after the row.
std::vector<uint8_t> encodeRow(const std::vector<uint32_t>& words, int bytes, ByteOrder order,
                               size_t rowBytes) {
  std::vector<uint8_t> row(rowBytes, 0xa5);
  for (size_t i = 0; i < words.size(); ++i)
    for (int b = 0; b < bytes; ++b) {
      const int at = order == ByteOrder::LsbFirst ? b : bytes - 1 - b;
      row[i * bytes + at] = static_cast<uint8_t>(words[i] >> (8 * b));
    }
  return row;
}

std::vector<Pixel> convertAll(const ServerPixelFormat& format, const std::vector<uint32_t>& words) {
  const PixelConverter converter(format);
  EXPECT_TRUE(converter.valid());
  const size_t rowBytes = bytesPerRow(format, static_cast<int32_t>(words.size()));
  const std::vector<uint8_t> data =
      encodeRow(words, format.bitsPerPixel / 8, format.byteOrder, rowBytes);
  std::vector<Pixel> out(words.size() + 1, 0x12345678u);  // one guard pixel past the row
  converter.convert(
      data.data(), rowBytes,
      {out.data(), static_cast<int32_t>(words.size()), 1, static_cast<ptrdiff_t>(words.size())});
  EXPECT_EQ(out.back(), 0x12345678u) << "wrote past the row";
  out.pop_back();
  return out;
}

uint32_t expand5(uint32_t v) { return (v << 3) | (v >> 2); }
uint32_t expand6(uint32_t v) { return (v << 2) | (v >> 4); }

TEST(PixelFormat, CommonScreenCopiesWordsAndSetsAlpha) {
  // Whatever the undefined top byte holds, the pixel comes out opaque; rows
  // are taken `rowBytes` apart, not width apart.
  const ServerPixelFormat format;  // depth 24, 32 bpp, LSB, ff0000/ff00/ff
  const PixelConverter converter(format);
  ASSERT_TRUE(converter.valid());
  const uint32_t words[2][3] = {{0x00102030u, 0xff405060u, 0x7f000000u},
                                {0x12ffffffu, 0x00000001u, 0x80abcdefu}};
  const size_t rowBytes = 16;  // one word of padding per row
  std::vector<uint8_t> data(2 * rowBytes, 0xee);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      for (int b = 0; b < 4; ++b) data[y * rowBytes + x * 4 + b] = uint8_t(words[y][x] >> (8 * b));
  std::vector<Pixel> out(2 * 4, 0x11111111u);  // stride 4, last column untouched
  converter.convert(data.data(), rowBytes, {out.data(), 3, 2, 4});
  const std::vector<Pixel> want = {0xff102030u, 0xff405060u, 0xff000000u, 0x11111111u,
                                   0xffffffffu, 0xff000001u, 0xffabcdefu, 0x11111111u};
  EXPECT_EQ(out, want);
}

TEST(PixelFormat, Depth16Rgb565InBothByteOrders) {
  std::vector<uint32_t> words(65536);
  for (uint32_t v = 0; v < 65536; ++v) words[v] = v;
  for (ByteOrder order : {ByteOrder::LsbFirst, ByteOrder::MsbFirst}) {
    const ServerPixelFormat format{16, 16, 32, order, 0xf800u, 0x07e0u, 0x001fu};
    const std::vector<Pixel> out = convertAll(format, words);
    int wrong = 0;
    for (uint32_t v = 0; v < 65536 && wrong < 5; ++v) {
      const Pixel want =
          0xff000000u | expand5(v >> 11) << 16 | expand6((v >> 5) & 63) << 8 | expand5(v & 31);
      if (out[v] != want) {
        ADD_FAILURE() << "565 word " << std::hex << v << ": got " << out[v] << ", want " << want
                      << (order == ByteOrder::MsbFirst ? " (MSB)" : " (LSB)");
        ++wrong;
      }
    }
  }
  // Full intensity stays full, the middle lands where a deeper screen has it.
  const ServerPixelFormat lsb{16, 16, 32, ByteOrder::LsbFirst, 0xf800u, 0x07e0u, 0x001fu};
  EXPECT_EQ(convertAll(lsb, {0xffff, 0x8000, 0x0400, 0x0010, 0x0000}),
            (std::vector<Pixel>{0xffffffffu, 0xff840000u, 0xff008200u, 0xff000084u, 0xff000000u}));
}

TEST(PixelFormat, Depth30KeepsTopEightBitsOfEachChannel) {
  // 10-bit channels whose low two bits are set must not leak into the next
  // channel; the masks decide the channel order, not their position.
  auto word = [](uint32_t r, uint32_t g, uint32_t b) { return r << 20 | g << 10 | b; };
  const std::vector<uint32_t> words = {word(0x3ff, 0, 0), word(0, 0x3ff, 0), word(0, 0, 0x3ff),
                                       word(0x203, 0x102, 0x001), word(0x3, 0x3, 0x3)};
  const std::vector<Pixel> rgb = {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xff804000u, 0xff000000u};
  for (ByteOrder order : {ByteOrder::LsbFirst, ByteOrder::MsbFirst}) {
    const ServerPixelFormat format{30, 32, 32, order, 0x3ff00000u, 0xffc00u, 0x3ffu};
    EXPECT_EQ(convertAll(format, words), rgb);
    // The same words on a screen that keeps blue in the top bits.
    const ServerPixelFormat bgr{30, 32, 32, order, 0x3ffu, 0xffc00u, 0x3ff00000u};
    EXPECT_EQ(convertAll(bgr, words), (std::vector<Pixel>{0xff0000ffu, 0xff00ff00u, 0xffff0000u,
                                                          0xff004080u, 0xff000000u}));
  }
}

TEST(PixelFormat, MsbFirstAndPackedAndNarrowLayouts) {
  // 32 bpp from a big-endian server: bytes arrive pad, R, G, B.
  const ServerPixelFormat msb32{24, 32, 32, ByteOrder::MsbFirst, 0xff0000u, 0xff00u, 0xffu};
  EXPECT_EQ(convertAll(msb32, {0xee112233u, 0x00abcdefu}),
            (std::vector<Pixel>{0xff112233u, 0xffabcdefu}));
  // Packed 24 bpp, three pixels per padded row, both orders.
  for (ByteOrder order : {ByteOrder::LsbFirst, ByteOrder::MsbFirst}) {
    const ServerPixelFormat packed{24, 24, 32, order, 0xff0000u, 0xff00u, 0xffu};
    EXPECT_EQ(convertAll(packed, {0x010203u, 0xfffefdu, 0x808080u}),
              (std::vector<Pixel>{0xff010203u, 0xfffefdu | 0xff000000u, 0xff808080u}));
  }
  // 8-bit true colour 3-3-2: two-bit blue 1 is a third of full intensity.
  const ServerPixelFormat rgb332{8, 8, 32, ByteOrder::LsbFirst, 0xe0u, 0x1cu, 0x03u};
  EXPECT_EQ(convertAll(rgb332, {0xff, 0x01, 0x20, 0x04, 0x00}),
            (std::vector<Pixel>{0xffffffffu, 0xff000055u, 0xff240000u, 0xff002400u, 0xff000000u}));
}

TEST(PixelFormat, RefusesLayoutsWithoutUsableMasks) {
  const std::vector<ServerPixelFormat> refused = {
      {8, 8, 32, ByteOrder::LsbFirst, 0, 0, 0},                     // colour map
      {24, 32, 32, ByteOrder::LsbFirst, 0xff00ffu, 0xff00u, 0},     // split red mask, no blue
      {4, 4, 32, ByteOrder::LsbFirst, 0x8u, 0x6u, 0x1u},            // half-byte pixels
      {16, 16, 32, ByteOrder::LsbFirst, 0xf800u, 0x0fe0u, 0x1fu},   // red and green overlap
      {16, 16, 32, ByteOrder::LsbFirst, 0xf8000u, 0x07e0u, 0x1fu},  // red past the pixel
  };
  for (const ServerPixelFormat& format : refused) {
    const PixelConverter converter(format);
    EXPECT_FALSE(converter.valid()) << "depth " << format.depth;
    const uint8_t data[16] = {0xff, 0xff, 0xff, 0xff};
    Pixel out = 0x12345678u;
    converter.convert(data, 16, {&out, 1, 1, 1});
    EXPECT_EQ(out, 0x12345678u);
  }
}

}  // namespace
}  // namespace lupe::x11
