// Writes the window icon as the files the desktops want, at build time:
// PNG images for the Linux icon theme and an .ico for the Windows build.
// Larger sizes enlarge the 32 x 32 picture by whole factors, pixel by
// pixel, so the icon stays crisp. No image library: a small deflate that
// only repeats the previous pixel or the row above suits such pictures.
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/pictures.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

void put32be(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}
void put16le(Bytes& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void put32le(Bytes& out, uint32_t v) {
  put16le(out, v & 0xffff);
  put16le(out, v >> 16);
}

uint32_t crc32(const uint8_t* data, size_t size) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t c = 0xffffffffu;
  for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xff] ^ (c >> 8);
  return c ^ 0xffffffffu;
}

// `picture` enlarged `factor` times, each pixel a factor x factor square.
lupe::Picture enlarged(const lupe::Picture& picture, int factor) {
  lupe::Picture out{picture.width * factor, picture.height * factor, {}};
  out.argb.resize(size_t(out.width) * out.height);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      out.argb[size_t(y) * out.width + x] =
          picture.argb[size_t(y / factor) * picture.width + x / factor];
  return out;
}

void chunk(Bytes& png, const char* type, const Bytes& data) {
  put32be(png, uint32_t(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  put32be(png, crc32(png.data() + start, png.size() - start));
}

// Writes bits least significant first, as deflate packs them.
class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}
  void bits(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bit((value >> i) & 1);
  }
  // Huffman codes go most significant bit first.
  void code(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) bit((value >> i) & 1);
  }
  void flush() {
    if (used_) out_.push_back(current_);
    current_ = 0;
    used_ = 0;
  }

 private:
  void bit(uint32_t b) {
    current_ |= uint8_t(b << used_);
    if (++used_ == 8) flush();
  }
  Bytes& out_;
  uint8_t current_ = 0;
  int used_ = 0;
};

// Deflate with the fixed codes, matching only at the distances where such
// pictures repeat themselves: the previous pixel and the row above.
Bytes deflate(const Bytes& raw, size_t rowBytes) {
  static constexpr uint16_t kLengthBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                             15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                             67, 83, 99, 115, 131, 163, 195, 227, 258};
  static constexpr uint8_t kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                             2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  static constexpr uint16_t kDistBase[] = {
      1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
      193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  static constexpr uint8_t kDistExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                           6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
  Bytes out;
  BitWriter w(out);
  w.bits(1, 1);  // the last block
  w.bits(1, 2);  // fixed codes
  auto symbol = [&](uint32_t s) {
    if (s < 144)
      w.code(0x30 + s, 8);
    else if (s < 256)
      w.code(0x190 + s - 144, 9);
    else if (s < 280)
      w.code(s - 256, 7);
    else
      w.code(0xc0 + s - 280, 8);
  };
  for (size_t i = 0; i < raw.size();) {
    size_t bestLength = 0, bestDistance = 0;
    for (const size_t distance : {rowBytes, size_t(4)}) {
      if (distance > i || distance > 32768) continue;
      size_t length = 0;
      while (length < 258 && i + length < raw.size() &&
             raw[i + length] == raw[i + length - distance])
        ++length;
      if (length > bestLength) bestLength = length, bestDistance = distance;
    }
    if (bestLength < 3) {
      symbol(raw[i++]);
      continue;
    }
    int l = 28;
    while (kLengthBase[l] > bestLength) --l;
    symbol(257 + uint32_t(l));
    w.bits(uint32_t(bestLength - kLengthBase[l]), kLengthExtra[l]);
    int d = 29;
    while (kDistBase[d] > bestDistance) --d;
    w.code(uint32_t(d), 5);
    w.bits(uint32_t(bestDistance - kDistBase[d]), kDistExtra[d]);
    i += bestLength;
  }
  symbol(256);
  w.flush();
  return out;
}

Bytes png(const lupe::Picture& picture) {
  Bytes raw;  // each row: filter type 0, then RGBA
  for (int y = 0; y < picture.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t argb = picture.argb[size_t(y) * picture.width + x];
      for (const int shift : {16, 8, 0, 24}) raw.push_back(uint8_t(argb >> shift));
    }
  }
  Bytes zlib{0x78, 0x01};
  const Bytes packed = deflate(raw, size_t(picture.width) * 4 + 1);
  zlib.insert(zlib.end(), packed.begin(), packed.end());
  uint32_t a = 1, b = 0;
  for (const uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  put32be(zlib, (b << 16) | a);

  Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  Bytes header;
  put32be(header, uint32_t(picture.width));
  put32be(header, uint32_t(picture.height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, no interlace
  chunk(out, "IHDR", header);
  chunk(out, "IDAT", zlib);
  chunk(out, "IEND", {});
  return out;
}

// A 32-bit icon image with its AND mask, as .ico files hold them.
Bytes iconBitmap(const lupe::Picture& picture) {
  const int w = picture.width, h = picture.height;
  const int maskStride = ((w + 31) / 32) * 4;
  Bytes out;
  put32le(out, 40);
  put32le(out, uint32_t(w));
  put32le(out, uint32_t(h * 2));  // colour and mask rows
  put16le(out, 1);
  put16le(out, 32);
  for (int i = 0; i < 6; ++i) put32le(out, 0);
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) put32le(out, picture.argb[size_t(y) * w + x]);
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(size_t(maskStride), 0);
    for (int x = 0; x < w; ++x)
      if ((picture.argb[size_t(y) * w + x] >> 24) == 0)
        row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

Bytes ico(const lupe::Picture& picture) {
  // 32 and 64 as bitmaps for every Windows; 256 as PNG, as Explorer takes it.
  const std::vector<std::pair<int, Bytes>> images{{32, iconBitmap(enlarged(picture, 1))},
                                                  {64, iconBitmap(enlarged(picture, 2))},
                                                  {256, png(enlarged(picture, 8))}};
  Bytes out;
  put16le(out, 0);
  put16le(out, 1);
  put16le(out, uint32_t(images.size()));
  uint32_t offset = uint32_t(6 + 16 * images.size());
  for (const auto& [side, data] : images) {
    out.push_back(uint8_t(side == 256 ? 0 : side));
    out.push_back(uint8_t(side == 256 ? 0 : side));
    out.push_back(0);
    out.push_back(0);
    put16le(out, 1);
    put16le(out, 32);
    put32le(out, uint32_t(data.size()));
    put32le(out, offset);
    offset += uint32_t(data.size());
  }
  for (const auto& image : images) out.insert(out.end(), image.second.begin(), image.second.end());
  return out;
}

bool write(const std::string& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(file);
}

}  // namespace

// export_icons DIR: DIR/tevka-lupe-{32,64,128,256}.png and DIR/tevka-lupe.ico
int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const lupe::Picture& icon = lupe::windowIcon();
  bool ok = write(dir + "/tevka-lupe.ico", ico(icon));
  for (const int factor : {1, 2, 4, 8})
    ok = write(dir + "/tevka-lupe-" + std::to_string(32 * factor) + ".png",
               png(enlarged(icon, factor))) &&
         ok;
  if (!ok) std::fprintf(stderr, "cannot write the icons into %s\n", dir.c_str());
  return ok ? 0 : 1;
}
