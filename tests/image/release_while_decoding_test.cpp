// JPEG and PNG files large enough that the loader gives their pages back while decoding: the pictures
// must come out exactly as when the whole file stays in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "image/decoders.h"
#include "image/image_loader.h"
#include "tests/support/image_writers.h"
#include "tests/support/temp_dir.h"

namespace karovel::testing {
namespace {

// Noise does not compress, so 2000 x 2000 pixels make a file past the releaser's first step.
RgbImage Noise(int size) {
  RgbImage picture{size, size, std::vector<uint8_t>(size_t(size) * size_t(size) * 3)};
  std::mt19937 random(7);
  for (uint8_t& b : picture.pixels) b = uint8_t(random() >> 24);
  return picture;
}

struct Family {
  const char* name;
  std::vector<uint8_t> (*encode)(const RgbImage&);
  void (*decode)(const image::DecodeInput&, image::WorkingBitmap&, const image::RowProgress&);
};

std::vector<uint8_t> Jpeg100(const RgbImage& picture) { return EncodeJpeg(picture, 100); }

class ReleaseWhileDecoding : public ::testing::TestWithParam<Family> {};

TEST_P(ReleaseWhileDecoding, GivesThePictureOfTheWholeFile) {
  const Family& family = GetParam();
  const RgbImage picture = Noise(2000);
  const std::vector<uint8_t> file = family.encode(picture);
  ASSERT_GT(file.size(), size_t(6) << 20);
  TempDir dir;
  const std::string path = dir.File(std::string("noise.") + family.name);
  WriteFile(path, file);

  image::WorkingBitmap kept;
  family.decode(image::DecodeInput{file.data(), file.size(), path}, kept, {});
  image::WorkingBitmap loaded;
  ASSERT_NE(image::DecodeImageFile(path, loaded), nullptr);
  ASSERT_EQ(loaded.width, kept.width);
  ASSERT_EQ(loaded.height, kept.height);
  EXPECT_EQ(std::memcmp(loaded.pixels.get(), kept.pixels.get(), kept.RowBytes() * size_t(kept.height)), 0);
  if (std::string(family.name) == "png") {
    EXPECT_EQ(std::memcmp(loaded.pixels.get(), picture.pixels.data(), picture.pixels.size()), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Families, ReleaseWhileDecoding,
                         ::testing::Values(Family{"jpg", Jpeg100, image::DecodeJpeg},
                                           Family{"png", EncodePng, image::DecodePng}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace karovel::testing
