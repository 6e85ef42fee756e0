// Which buffers a stream keeps and gives back, step by step: what a read
// sees, and that nothing the compositor will come round to is kept.
#include "platform/wayland/picture_handover.hpp"

#include <pipewire/stream.h>

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace lupe::wayland {
namespace {

// 'P' a picture arrives in buffer `buffer`, 'M' a buffer without one (the
// pointer moved), 'B' a read begins, 'F' it finishes, 'R' the buffer is
// taken away. For arrivals `expect` is the buffer given back (-1: none);
// for reads the buffer whose picture is read (-1: none), its number and
// whether it is read from our copy.
struct Step {
  char op;
  int buffer = -1;
  int expect = -1;
  uint64_t number = 0;
  bool copied = false;
};

struct Scenario {
  std::string name;
  unsigned buffers;
  std::vector<Step> steps;
};

TEST(PictureHandover, KeepsTheNewestPictureAndGivesBackOneBufferPerArrival) {
  const std::vector<Scenario> scenarios = {
      {"outside reads the newest is held at once, the one before goes back next",
       16,
       {{'P', 0, -1}, {'P', 1, 0}, {'B', -1, 1, 2}, {'F'}}},
      {"a burst during a read: its last is read next, the one read stays kept",
       16,
       {{'P', 0, -1},
        {'B', -1, 0, 1},
        {'P', 1, -1},
        {'P', 2, 1},
        {'P', 3, 2},
        {'F'},
        {'B', -1, 3, 4},
        {'M', 4, 0},
        {'M', 5, 4}}},
      {"few buffers: the held picture is copied out before the compositor comes round",
       4,
       {{'P', 0, -1}, {'M', 1, 1}, {'M', 2, 0}, {'B', -1, 0, 1, true}, {'F'}, {'M', 3, 2}}},
      {"few buffers: never copied during a read, at once after it",
       4,
       {{'P', 0, -1},
        {'B', -1, 0, 1},
        {'M', 1, 1},
        {'M', 2, 2},
        {'M', 3, 3},
        {'F'},
        {'B', -1, 0, 1, true},
        {'F'},
        {'M', 4, 0}}},
      {"a buffer taken away is never given back; the held one taken leaves no picture",
       16,
       {{'P', 0, -1},
        {'B', -1, 0, 1},
        {'P', 1, -1},
        {'F'},
        {'R', 0},
        {'M', 2, 2},
        {'R', 1},
        {'B', -1, -1}}},
  };
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    std::array<pw_buffer, 8> buffers{};
    std::vector<Raster> pictures;
    for (size_t i = 0; i < buffers.size(); ++i)
      pictures.emplace_back(2, 1, 0xff000000u | static_cast<Pixel>(i));
    auto index = [&](const pw_buffer* b) { return b ? static_cast<int>(b - buffers.data()) : -1; };

    PictureHandover handover;
    for (unsigned i = 0; i < scenario.buffers; ++i) handover.added();
    int stepNumber = 0;
    for (const Step& step : scenario.steps) {
      SCOPED_TRACE("step " + std::to_string(++stepNumber) + " '" + step.op + "'");
      switch (step.op) {
        case 'P':
        case 'M': {
          const std::optional<ConstRasterView> picture =
              step.op == 'P' ? std::optional<ConstRasterView>(pictures[step.buffer].view())
                             : std::nullopt;
          EXPECT_EQ(index(handover.arrived(&buffers[step.buffer], picture)), step.expect);
          break;
        }
        case 'B': {
          const std::optional<ReadPicture> read = handover.beginReading();
          ASSERT_EQ(read.has_value(), step.expect >= 0);
          EXPECT_EQ(handover.hasPicture(), step.expect >= 0);
          if (!read) break;
          EXPECT_EQ(read->pixels.row(0)[1], 0xff000000u | static_cast<Pixel>(step.expect));
          EXPECT_EQ(read->number, step.number);
          EXPECT_EQ(read->pixels.pixels != pictures[step.expect].view().pixels, step.copied);
          break;
        }
        case 'F':
          handover.finishReading();
          break;
        case 'R':
          handover.removed(&buffers[step.buffer]);
          break;
      }
    }
  }
}

}  // namespace
}  // namespace lupe::wayland
