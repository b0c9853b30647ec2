#pragma once
// Feeds damaged copies of a fixture to a decoder: every failure must be a clean exception, never a crash,
// a hang or a read outside the data (run under AddressSanitizer to see the last one).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <random>
#include <string>
#include <vector>

#include "image/image_family.h"
#include "tests/support/seed_corpus.h"

namespace karovel::testing {

// Decodes the bytes with the decoder; true when a picture came out, false on a clean failure.
inline bool DecodeOrFail(image::Decoder decode, const std::vector<uint8_t>& bytes, const std::string& path) {
  image::WorkingBitmap out;
  try {
    decode(image::DecodeInput{bytes.data(), bytes.size(), path}, out, {});
  } catch (const std::exception&) {
    return false;
  }
  if (out.Empty()) return false;
  // Touch every pixel so that a bitmap claimed larger than allocated shows up under the sanitizer.
  unsigned sum = 0;
  for (size_t i = 0; i < out.RowBytes() * size_t(out.height); ++i) sum += out.pixels[i];
  (void)sum;
  return true;
}

// Truncations at up to 'lengths' evenly spread lengths (every length for small fixtures), then 'mutations'
// seeded copies with one to eight bytes overwritten (often in the header, where the sizes live).
inline void ExpectRobust(image::Decoder decode, const std::vector<uint8_t>& fixture, const std::string& path,
                         size_t lengths = 400, int mutations = 300, uint32_t seed = 7) {
  RecordDecoderSeed(decode, fixture);
  ASSERT_TRUE(DecodeOrFail(decode, fixture, path)) << "the intact fixture must decode";
  const size_t step = std::max<size_t>(1, fixture.size() / lengths);
  for (size_t n = 0; n < fixture.size(); n += step) {
    std::vector<uint8_t> cut(fixture.begin(), fixture.begin() + static_cast<std::ptrdiff_t>(n));
    cut.shrink_to_fit();
    DecodeOrFail(decode, cut, path);
  }
  std::mt19937 rng(seed);
  for (int i = 0; i < mutations; ++i) {
    std::vector<uint8_t> bad = fixture;
    const int changes = 1 + static_cast<int>(rng() % 8);
    for (int k = 0; k < changes; ++k) {
      const size_t span = (rng() % 2) ? std::min<size_t>(bad.size(), 64) : bad.size();
      const size_t at = rng() % span;
      bad[at] = (rng() % 3 == 0) ? uint8_t(0xFF) : static_cast<uint8_t>(rng());
    }
    DecodeOrFail(decode, bad, path);
  }
}

}  // namespace karovel::testing
