// What a stream's buffer tells, read from made-up buffers: the picture's
// place in memory, the pointer, the damage; the mapping of a memfd at an
// offset; and where streams are placed on the desktop.
#include "platform/wayland/stream_buffers.hpp"

#include <spa/buffer/meta.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "platform/wayland/buffer_mapping.hpp"
#include "platform/wayland/stream_placement.hpp"

namespace lupe::wayland {
namespace {

// One buffer of a 100 x 50 monitor, with room for what a compositor sends.
struct MadeUpBuffer {
  spa_chunk chunk{0, 100 * 50 * 4, 100 * 4, 0};
  spa_data data{};
  spa_meta_cursor cursor{};
  std::vector<spa_meta_region> regions;
  std::vector<spa_meta> metas;
  spa_buffer buffer{};

  explicit MadeUpBuffer(uint32_t maxsize = 100 * 50 * 4) {
    data.type = SPA_DATA_MemPtr;
    data.maxsize = maxsize;
    data.chunk = &chunk;
  }
  spa_buffer& with(bool cursorMeta, std::vector<spa_meta_region> damage, bool damageMeta) {
    regions = std::move(damage);
    metas.clear();
    if (cursorMeta) metas.push_back({SPA_META_Cursor, sizeof(cursor), &cursor});
    if (damageMeta) {
      regions.push_back({});  // the list's end, as the compositors write it
      metas.push_back({SPA_META_VideoDamage,
                       static_cast<uint32_t>(regions.size() * sizeof(spa_meta_region)),
                       regions.data()});
    }
    buffer = {static_cast<uint32_t>(metas.size()), 1, metas.data(), &data};
    return buffer;
  }
};

spa_meta_region region(int32_t x, int32_t y, uint32_t w, uint32_t h) {
  return {{{x, y}, {w, h}}};
}

TEST(StreamBuffers, APictureIsReadOnlyWhereItLiesWhole) {
  const spa_rectangle size{100, 50};
  struct Case {
    const char* what;
    spa_chunk chunk;
    uint32_t maxsize;
    bool picture;
    int32_t strideBytes;
  } cases[] = {
      {"a whole picture", {0, 20000, 400, 0}, 20000, true, 400},
      {"rows padded", {0, 25600, 512, 0}, 25600, true, 512},
      {"no stride told: rows of the width", {0, 20000, 0, 0}, 20000, true, 400},
      {"at an offset", {64, 20000, 400, 0}, 20064, true, 400},
      {"the pointer alone (mutter, KWin 5.27)", {0, 0, 400, 0}, 20000, false, 0},
      {"flagged corrupted with its size (Plasma 6)",
       {0, 20000, 400, SPA_CHUNK_FLAG_CORRUPTED}, 20000, false, 0},
      {"one byte short of the memory", {1, 20000, 400, 0}, 20000, false, 0},
      {"rows narrower than the width", {0, 20000, 396, 0}, 20000, false, 0},
  };
  for (const Case& c : cases) {
    MadeUpBuffer made(c.maxsize);
    made.chunk = c.chunk;
    const std::optional<PictureLayout> layout = pictureIn(made.with(false, {}, false), size);
    ASSERT_EQ(layout.has_value(), c.picture) << c.what;
    if (layout) {
      EXPECT_EQ(layout->offset, c.chunk.offset) << c.what;
      EXPECT_EQ(layout->strideBytes, c.strideBytes) << c.what;
    }
  }
  MadeUpBuffer made;
  EXPECT_FALSE(pictureIn(made.with(false, {}, false), {0, 0})) << "before a format";
}

TEST(StreamBuffers, ThePointerIsTheHotSpotOnThisMonitor) {
  struct Case {
    const char* what;
    bool meta;
    uint32_t id;
    spa_point position;
    std::optional<PointApi> expected;
  } cases[] = {
      {"on the monitor", true, 7, {40, 12}, PointApi{40, 12}},
      {"beside it (Plasma 6 tells touching monitors)", true, 7, {-3, 12}, PointApi{-3, 12}},
      {"not here: id 0 (KWin: -1, -1)", true, 0, {-1, -1}, std::nullopt},
      {"no cursor metadata", false, 7, {40, 12}, std::nullopt},
  };
  for (const Case& c : cases) {
    MadeUpBuffer made;
    made.cursor.id = c.id;
    made.cursor.position = c.position;
    const std::optional<PointApi> at = pointerIn(made.with(c.meta, {}, false));
    ASSERT_EQ(at.has_value(), c.expected.has_value()) << c.what;
    if (at) {
      EXPECT_EQ(at->x, c.expected->x) << c.what;
      EXPECT_EQ(at->y, c.expected->y) << c.what;
    }
  }
}

TEST(StreamBuffers, DamageIsClippedToTheMonitorAndNoneWhereItSaysNothing) {
  const PixelRect monitor{640, 0, 100, 50};
  using Rects = std::vector<PixelRect>;
  struct Case {
    const char* what;
    bool meta;
    std::vector<spa_meta_region> regions;
    std::optional<Rects> expected;
  } cases[] = {
      {"regions, at the monitor's place", true,
       {region(1, 2, 3, 4), region(90, 40, 5, 5)},
       Rects{{641, 2, 3, 4}, {730, 40, 5, 5}}},
      {"a region past the edge, clipped", true, {region(95, 45, 20, 20)}, Rects{{735, 45, 5, 5}}},
      {"a region off the monitor, dropped", true,
       {region(200, 0, 5, 5), region(0, 0, 2, 2)}, Rects{{640, 0, 2, 2}}},
      {"no damage metadata (mutter 43)", false, {}, std::nullopt},
      {"an empty list (KWin 5.27 re-sending)", true, {}, std::nullopt},
      {"the whole monitor (mutter 45 and later)", true, {region(0, 0, 100, 50)}, std::nullopt},
      {"the whole monitor among others", true,
       {region(1, 1, 2, 2), region(-5, -5, 200, 200)}, std::nullopt},
  };
  for (const Case& c : cases) {
    MadeUpBuffer made;
    const auto damage = damageIn(made.with(false, c.regions, c.meta), monitor);
    ASSERT_EQ(damage.has_value(), c.expected.has_value()) << c.what;
    if (damage) {
      EXPECT_EQ(*damage, *c.expected) << c.what;
    }
  }
}

TEST(BufferMapping, MapsAMemfdFromItsOffsetAcrossPageBoundaries) {
  const long page = ::sysconf(_SC_PAGESIZE);
  const int fd = memfd_create("lupe-test", MFD_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 4 * page), 0);
  std::vector<uint8_t> bytes(4 * page);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
  for (const uint32_t offset : {0u, 100u, static_cast<uint32_t>(page), static_cast<uint32_t>(page + 3)}) {
    spa_data data{};
    data.type = SPA_DATA_MemFd;
    data.fd = fd;
    data.mapoffset = offset;
    data.maxsize = static_cast<uint32_t>(2 * page);
    const auto mapping = BufferMapping::of(data);
    ASSERT_TRUE(mapping) << offset;
    EXPECT_EQ(std::memcmp(mapping->bytes(), bytes.data() + offset, data.maxsize), 0) << offset;
  }
  spa_data other{};
  other.type = SPA_DATA_MemPtr;
  EXPECT_FALSE(BufferMapping::of(other)) << "memory PipeWire maps itself";
  close(fd);
}

TEST(StreamPlacement, StreamsLieWhereTheDesktopHasThem) {
  using Streams = std::vector<PortalStream>;
  using Screens = std::vector<SessionScreen>;
  using Areas = std::vector<PixelRect>;
  const auto at = [](int32_t x, int32_t y) { return std::optional<PointApi>(PointApi{x, y}); };
  struct Case {
    const char* what;
    Streams streams;
    Screens screens;
    Areas expected;
  } cases[] = {
      {"mutter: positions in pixels",
       {{1, at(0, 0), 1280, 1024}, {2, at(1280, 0), 800, 600}}, {},
       {{0, 0, 1280, 1024}, {1280, 0, 800, 600}}},
      {"KWin at scale 2: logical positions, physical sizes",
       {{1, at(0, 0), 2560, 1440}, {2, at(1280, 0), 2560, 1440}},
       {{"DP-1", {0, 0, 1280, 720}, 2}, {"DP-2", {1280, 0, 1280, 720}, 2}},
       {{0, 0, 2560, 1440}, {2560, 0, 2560, 1440}}},
      {"KWin, scales 2 and 1: apart, the smaller one past a gap",
       {{1, at(0, 0), 2560, 1440}, {2, at(1280, 0), 1920, 1080}},
       {{"eDP-1", {0, 0, 1280, 720}, 2}, {"DP-1", {1280, 0, 1920, 1080}, 1}},
       {{0, 0, 2560, 1440}, {2560, 0, 1920, 1080}}},
      {"Plasma 5.27, one monitor without a position", {{1, std::nullopt, 1920, 1080}}, {},
       {{0, 0, 1920, 1080}}},
      {"Plasma 5.27: matched to the screens by size",
       {{1, std::nullopt, 800, 600}, {2, std::nullopt, 2560, 1440}},
       {{"DP-1", {0, 0, 1280, 720}, 2}, {"DP-2", {1280, 0, 800, 600}, 1}},
       {{2560, 0, 800, 600}, {0, 0, 2560, 1440}}},
      {"Plasma 5.27: two alike, in the screens' order",
       {{1, std::nullopt, 1920, 1080}, {2, std::nullopt, 1920, 1080}},
       {{"DP-1", {0, 0, 1920, 1080}, 1}, {"DP-2", {1920, 0, 1920, 1080}, 1}},
       {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}},
      {"no screen to match: side by side",
       {{1, std::nullopt, 1920, 1080}, {2, std::nullopt, 1280, 1024}}, {},
       {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}}},
  };
  for (const Case& c : cases) EXPECT_EQ(placeStreams(c.streams, c.screens), c.expected) << c.what;
}

}  // namespace
}  // namespace lupe::wayland
