// Picture sizes the working bitmap refuses before allocating anything, on 64-bit and 32-bit builds.
#include "image/working_bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/message_sink.h"
#include "image/image_loader.h"
#include "tests/support/temp_dir.h"

namespace karovel::image {
namespace {

struct Size {
  int64_t width, height;
};

class RefusedSize : public ::testing::TestWithParam<Size> {};

TEST_P(RefusedSize, LeavesTheBitmapEmpty) {
  WorkingBitmap bitmap;
  ASSERT_TRUE(AllocateBitmap(bitmap, 2, 2));
  EXPECT_FALSE(AllocateBitmap(bitmap, GetParam().width, GetParam().height));
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.pixels, nullptr);
}

// Beyond MaxBitmapBytes by one row of the smallest kind, and products that overflow 32 and 64 bits.
INSTANTIATE_TEST_SUITE_P(Hostile, RefusedSize,
                         ::testing::Values(Size{0, 5}, Size{5, 0}, Size{-1, 5}, Size{5, -1},
                                           Size{int64_t(INT32_MAX) + 1, 1}, Size{1, int64_t(INT32_MAX) + 1},
                                           Size{INT32_MAX, INT32_MAX}, Size{1 << 18, 1 << 18},
                                           Size{int64_t(MaxBitmapBytes / 3), 2},
                                           Size{1 << 20, int64_t(MaxBitmapBytes / 3 >> 20) + 1}));

TEST(AllocateBitmap, TheLimitFitsTheAddressSpace) {
  // A 32-bit process has at most 4 GiB of address space, of which a bitmap may take a quarter.
  if (sizeof(void*) == 4) {
    EXPECT_LE(MaxBitmapBytes, uint64_t(1) << 30);
    WorkingBitmap bitmap;
    EXPECT_FALSE(AllocateBitmap(bitmap, 20000, 20000));  // 1.2 GB
  }
  EXPECT_LE(MaxBitmapBytes, uint64_t(SIZE_MAX));
  WorkingBitmap bitmap;
  EXPECT_TRUE(AllocateBitmap(bitmap, 1000, 1000));
  EXPECT_EQ(bitmap.RowBytes(), 3000u);
}

// A run-length TGA of 20000 x 20000 whose runs really cover every pixel: only the bitmap is too large.
TEST(LoadWorkingImage, APictureTooLargeForA32BitAddressSpaceGivesTheLoaderMessage) {
  if (sizeof(void*) != 4) GTEST_SKIP() << "a 64-bit build holds this picture (1.2 GB)";
  const uint32_t side = 20000;
  std::vector<uint8_t> file = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 24, 0};
  file[12] = uint8_t(side), file[13] = uint8_t(side >> 8);
  file[14] = uint8_t(side), file[15] = uint8_t(side >> 8);
  const uint64_t packets = uint64_t(side) * side / 128;
  file.reserve(file.size() + packets * 4);
  for (uint64_t i = 0; i < packets; ++i) file.insert(file.end(), {0xFF, 10, 20, 30});
  karovel::testing::TempDir dir;
  karovel::testing::WriteFile(dir.File("huge.tga"), file);

  RecordingMessageSink messages;
  ImageHost host;
  host.messages = &messages;
  EXPECT_FALSE(LoadWorkingImage(host, dir.File("huge.tga")));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].text, "Cannot load image\r\nhuge.tga");
  EXPECT_EQ(messages.messages[0].caption, "Error");
  ASSERT_NE(host.workingBitmap, nullptr);
  EXPECT_TRUE(host.workingBitmap->Empty());
}

}  // namespace
}  // namespace karovel::image
