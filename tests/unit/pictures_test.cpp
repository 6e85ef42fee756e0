#include <cstdint>
#include <set>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "app/pictures.hpp"
#include "platform/raster/xpm.hpp"

namespace lupe::test {
namespace {

TEST(Xpm, ReadsColoursAndTheMaskAndRefusesWhatIsNoImage) {
  const char* const image[] = {"3 2 2 2", "aa c #FF8000", "b. c None", "aab.aa", "b.aab."};
  const Picture picture = pictureFromXpm(image);
  EXPECT_EQ(picture.width, 3);
  EXPECT_EQ(picture.height, 2);
  EXPECT_EQ(picture.argb, (std::vector<uint32_t>{0xffff8000u, 0, 0xffff8000u, 0, 0xffff8000u, 0}));

  const std::vector<std::vector<const char*>> broken{
      {},
      {"2 1 1"},                                // no characters per pixel
      {"0 1 1 1", ". c None"},                  // empty
      {"2 1 1 1", ". c None"},                  // a row missing
      {"2 1 1 1", ". c #12345", ".."},          // short colour
      {"2 1 1 1", ". c #GG0000", ".."},         // no hex
      {"2 1 1 1", ". m #000000", ".."},         // not a colour key
      {"2 1 1 1", ". c None", "..."},           // row too long
      {"2 1 1 1", ". c None", ".x"},            // unknown colour
      {"2 1 1 1", ". c None", "..", "extra"}};  // too many lines
  for (const auto& lines : broken) EXPECT_THROW(pictureFromXpm(lines), std::invalid_argument);
}

// Both pictures are 32 x 32 with a 1-bit mask: each pixel opaque or clear.
TEST(Pictures, AreSquareIconsWithAOneBitMaskAndTheArrowsTipTwoPixelsIn) {
  for (const Picture* picture : {&windowIcon(), &arrowPicture()}) {
    EXPECT_EQ(picture->width, 32);
    EXPECT_EQ(picture->height, 32);
    std::set<uint32_t> alphas;
    for (const uint32_t argb : picture->argb) alphas.insert(argb >> 24);
    EXPECT_EQ(alphas, (std::set<uint32_t>{0x00, 0xff}));
  }
  const Picture& arrow = arrowPicture();
  for (int x = 0; x < 32; ++x)
    EXPECT_EQ(arrow.argb[x] >> 24, x == 2 ? 0xffu : 0u) << "top row, x " << x;
  // Nothing of the arrow or its shadow lies left of the tip's column.
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(arrow.argb[y * 32 + x] >> 24, 0u) << x << ", " << y;
}

}  // namespace
}  // namespace lupe::test
