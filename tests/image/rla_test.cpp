// RLA fixtures from a small encoder of our own: colour and gray, matte channels, active windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/image/decode_check.h"

namespace karovel::testing {
namespace {

struct RlaSpec {
  const char* name;
  int16_t colorChannels = 3;
  int16_t matteChannels = 0;
  int16_t left = 0;     // active window inside a larger full window
  int16_t bottom = 0;
  bool shareRows = false;
  int width = 31;
  int height = 12;
};

void Put16(std::vector<uint8_t>& f, size_t at, int v) {
  f[at] = uint8_t(v >> 8);
  f[at + 1] = uint8_t(v);
}

std::vector<uint8_t> EncodeChannel(const std::vector<uint8_t>& s) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < s.size();) {
    size_t run = 1;
    while (i + run < s.size() && run < 128 && s[i + run] == s[i]) ++run;
    if (run >= 2) {
      out.push_back(uint8_t(run - 1));
      out.push_back(s[i]);
      i += run;
      continue;
    }
    size_t lit = 1;
    while (i + lit < s.size() && lit < 128 && s[i + lit] != s[i + lit - 1]) ++lit;
    if (i + lit < s.size() && lit > 1) --lit;
    out.push_back(uint8_t(256 - lit));
    out.insert(out.end(), s.begin() + long(i), s.begin() + long(i + lit));
    i += lit;
  }
  return out;
}

std::vector<uint8_t> EncodeRla(const RlaSpec& spec, RgbImage* expected) {
  const RgbImage pattern = PatternImage(spec.width, spec.height, 6);
  std::vector<uint8_t> f(740, 0);
  Put16(f, 0, 0), Put16(f, 2, spec.left + spec.width + 9), Put16(f, 4, 0), Put16(f, 6, spec.bottom + spec.height + 4);
  Put16(f, 8, spec.left), Put16(f, 10, spec.left + spec.width - 1);
  Put16(f, 12, spec.bottom), Put16(f, 14, spec.bottom + spec.height - 1);
  Put16(f, 16, 1);
  Put16(f, 20, spec.colorChannels), Put16(f, 22, spec.matteChannels);
  Put16(f, 26, 0xFFFE);
  std::memcpy(&f[28], "2.2", 3);
  std::memcpy(&f[144], "valley.rla", 10);
  Put16(f, 658, 8), Put16(f, 662, 8);

  *expected = RgbImage{spec.width, spec.height, std::vector<uint8_t>(size_t(spec.width) * spec.height * 3)};
  auto sample = [&](int x, int y, int c) {
    int row = spec.shareRows ? y / 3 : y;
    return pattern.At(x / 2 * 2, row)[c];
  };
  for (int y = 0; y < spec.height; ++y)
    for (int x = 0; x < spec.width; ++x)
      for (int c = 0; c < 3; ++c) expected->At(x, y)[c] = sample(x, y, spec.colorChannels == 3 ? c : 1);

  size_t table = f.size();
  f.resize(f.size() + size_t(spec.height) * 4);
  uint32_t previous = 0;
  for (int r = 0; r < spec.height; ++r) {
    int y = spec.height - 1 - r;  // bottom row first
    uint32_t offset = uint32_t(f.size());
    if (spec.shareRows && r > 0 && y / 3 == (y + 1) / 3) {
      offset = previous;
    } else {
      for (int c = 0; c < spec.colorChannels + spec.matteChannels; ++c) {
        std::vector<uint8_t> s;
        for (int x = 0; x < spec.width; ++x)
          s.push_back(c < spec.colorChannels ? sample(x, y, spec.colorChannels == 3 ? c : 1) : uint8_t(255));
        std::vector<uint8_t> record = EncodeChannel(s);
        f.push_back(uint8_t(record.size() >> 8));
        f.push_back(uint8_t(record.size()));
        f.insert(f.end(), record.begin(), record.end());
      }
    }
    for (int i = 0; i < 4; ++i) f[table + size_t(r) * 4 + i] = uint8_t(offset >> (24 - 8 * i));
    previous = offset;
  }
  return f;
}

class RlaVariant : public ::testing::TestWithParam<RlaSpec> {};

TEST_P(RlaVariant, DecodesEveryPixel) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeRla(GetParam(), &expected);
  Decoded decoded = DecodeAs(file, "render.rla");
  ASSERT_EQ(decoded.family, "Alias/Wavefront images") << WhyNot(image::DecodeRla, file);
  EXPECT_TRUE(SamePixels(decoded.bitmap, expected));
}

INSTANTIATE_TEST_SUITE_P(Layouts, RlaVariant,
                         ::testing::Values(RlaSpec{"rgb"}, RlaSpec{"rgb_matte", 3, 1}, RlaSpec{"gray", 1},
                                           RlaSpec{"gray_matte", 1, 1}, RlaSpec{"active_window", 3, 1, 7, 5},
                                           RlaSpec{"shared_rows", 3, 0, 0, 0, true},
                                           RlaSpec{"wide", 3, 0, 0, 0, false, 700, 2},
                                           RlaSpec{"one_pixel", 3, 0, 0, 0, false, 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Rla, FoundByContentUnderAnyName) {
  RgbImage expected;
  std::vector<uint8_t> file = EncodeRla({"rgb", 3, 1}, &expected);
  for (const char* name : {"render.dat", "render", "render.RPF"}) {
    Decoded decoded = DecodeAs(file, name);
    EXPECT_EQ(decoded.family, "Alias/Wavefront images") << name;
    EXPECT_TRUE(SamePixels(decoded.bitmap, expected)) << name;
  }
}

TEST(Rla, RefusesImplausibleHeadersAndTables) {
  RgbImage expected;
  const std::vector<uint8_t> good = EncodeRla({"rgb"}, &expected);
  struct Patch {
    const char* what;
    size_t at;
    int value;
  };
  for (const Patch& p : {Patch{"active right before left", 10, -3}, Patch{"active outside the window", 14, 3000},
                         Patch{"channels", 20, 2}, Patch{"storage", 18, 9}, Patch{"matte", 22, 40}}) {
    std::vector<uint8_t> file = good;
    Put16(file, p.at, p.value);
    EXPECT_FALSE(image::IsRla(file.data(), file.size())) << p.what;
  }
  std::vector<uint8_t> outside = good;
  outside[740] = 0x7F;  // first scanline offset far past the end
  EXPECT_EQ(DecodeAs(outside, "x.rla").family, "");
  std::vector<uint8_t> deep = good;
  Put16(deep, 658, 16);  // 16-bit channels are not read
  EXPECT_EQ(DecodeAs(deep, "x.rla").family, "");
}

TEST(Rla, SurvivesTruncationAndCorruption) {
  RgbImage expected;
  BatterDecoder(image::DecodeRla, EncodeRla({"rgb", 3, 1}, &expected), 61);
  BatterDecoder(image::DecodeRla, EncodeRla({"shared", 1, 0, 0, 0, true}, &expected), 62);
}

}  // namespace
}  // namespace karovel::testing
