#pragma once
// Helpers for the decoder tests of the smaller families: decode a fixture through the loader (so the
// content tests and the table order take part), compare pixels, and batter a fixture with damage.
#include <gtest/gtest.h>

#include <cstdint>
#include <exception>
#include <random>
#include <string>
#include <vector>

#include "image/decoders.h"
#include "image/image_loader.h"
#include "tests/support/image_writers.h"
#include "tests/support/seed_corpus.h"
#include "tests/support/temp_dir.h"

namespace karovel::testing {

struct Decoded {
  std::string family;  // description of the family that decoded it, empty on failure
  image::WorkingBitmap bitmap;
};

// Writes the bytes under the given file name and decodes them as the program would.
inline Decoded DecodeAs(const std::vector<uint8_t>& bytes, const std::string& name) {
  TempDir dir;
  WriteFile(dir.File(name), bytes);
  Decoded result;
  if (const image::ImageFamily* family = image::DecodeImageFile(dir.File(name), result.bitmap))
    result.family = family->description;
  return result;
}

// The description of the family the loader would choose for these bytes under this name.
inline std::string ChosenFamily(const std::vector<uint8_t>& bytes, const std::string& name) {
  const image::ImageFamily* family = image::ChooseFamily(name, bytes.data(), bytes.size());
  return family ? family->description : std::string();
}

// The decoder's complaint about the bytes, for failure messages.
inline std::string WhyNot(image::Decoder decode, const std::vector<uint8_t>& bytes) {
  image::WorkingBitmap out;
  try {
    decode(image::DecodeInput{bytes.data(), bytes.size(), "fixture"}, out, {});
  } catch (const std::exception& e) {
    return e.what();
  }
  return "decodes fine";
}

// Compares every pixel; tolerance allows lossy codecs. Reports the first mismatch only.
inline ::testing::AssertionResult SamePixels(const image::WorkingBitmap& bitmap, const RgbImage& expected,
                                             int tolerance = 0) {
  if (bitmap.width != expected.width || bitmap.height != expected.height)
    return ::testing::AssertionFailure() << "size " << bitmap.width << "x" << bitmap.height << ", expected "
                                         << expected.width << "x" << expected.height;
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x)
      for (int c = 0; c < 3; ++c) {
        int got = bitmap.Row(y)[x * 3 + c];
        int want = expected.At(x, y)[c];
        if (got - want > tolerance || want - got > tolerance)
          return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") channel " << c << ": " << got
                                               << ", expected " << want;
      }
  return ::testing::AssertionSuccess();
}

// Decodes a damaged copy; it may succeed or throw, but a success must be a consistent bitmap.
inline void DecodeDamaged(image::Decoder decode, const std::vector<uint8_t>& bytes) {
  image::WorkingBitmap out;
  int lastPercent = -1;
  bool ordered = true;
  image::RowProgress progress = [&](int percent) {
    if (percent < lastPercent || percent > 100) ordered = false;
    lastPercent = percent;
  };
  try {
    decode(image::DecodeInput{bytes.data(), bytes.size(), "damaged"}, out, progress);
  } catch (const std::exception&) {
    return;
  }
  ASSERT_TRUE(ordered);
  if (!out.Empty()) {
    ASSERT_NE(out.pixels, nullptr);
  }
}

// Every truncation (strided for large fixtures) and a few hundred seeded random corruptions.
inline void BatterDecoder(image::Decoder decode, const std::vector<uint8_t>& fixture, uint32_t seed = 1,
                          int corruptions = 300) {
  RecordDecoderSeed(decode, fixture);
  size_t stride = fixture.size() / 400 + 1;
  for (size_t n = 0; n < fixture.size(); n += stride)
    DecodeDamaged(decode, std::vector<uint8_t>(fixture.begin(), fixture.begin() + long(n)));
  std::mt19937 random(seed);
  for (int i = 0; i < corruptions; ++i) {
    std::vector<uint8_t> damaged = fixture;
    int changes = 1 + int(random() % 8);
    for (int c = 0; c < changes; ++c) {
      size_t at = random() % damaged.size();
      // Mostly damage near the front, where the headers and tables live.
      if (random() % 2) at %= std::min<size_t>(damaged.size(), 64);
      damaged[at] = static_cast<uint8_t>(random() % 4 == 0 ? 0xFF : random());
    }
    DecodeDamaged(decode, damaged);
  }
}

}  // namespace karovel::testing
