#include "tests/support/legacy_writers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace karovel::testing {

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> EncodeCel(int width, int height, bool eightBitLevels, RgbImage* expected) {
  std::vector<uint8_t> f;
  Put16(f, 0x9119);
  Put16(f, uint32_t(width)), Put16(f, uint32_t(height));
  Put16(f, 10), Put16(f, 20);  // screen position
  f.push_back(8), f.push_back(0);
  Put32(f, uint32_t(width * height));
  f.resize(32, 0);
  uint8_t palette[256][3];
  for (int i = 0; i < 256; ++i) {
    uint8_t levels[3] = {uint8_t(i % 64), uint8_t(63 - i % 64), uint8_t(i * 5 % 64)};
    for (int c = 0; c < 3; ++c) {
      uint8_t six = levels[c];
      uint8_t full = uint8_t(six * 4 + six / 16);  // 63 -> 255
      if (eightBitLevels) {
        full = uint8_t(i == 0 && c == 0 ? 255 : six * 4);  // one level above 63 marks the 8-bit kind
        f.push_back(full);
      } else {
        f.push_back(six);
      }
      palette[i][c] = full;
    }
  }
  *expected = RgbImage{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t index = uint8_t(x * 7 + y * 3);
      f.push_back(index);
      std::memcpy(expected->At(x, y), palette[index], 3);
    }
  return f;
}

std::vector<uint8_t> EncodeCut(int width, int height, const std::vector<uint8_t>& indices) {
  std::vector<uint8_t> f;
  Put16(f, uint32_t(width)), Put16(f, uint32_t(height)), Put16(f, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* s = &indices[size_t(y) * size_t(width)];
    std::vector<uint8_t> row;
    for (int i = 0; i < width;) {
      int run = 1;
      while (i + run < width && run < 127 && s[i + run] == s[i]) ++run;
      if (run >= 3) {
        row.push_back(uint8_t(0x80 | run));
        row.push_back(s[i]);
        i += run;
        continue;
      }
      int literal = 1;
      while (i + literal < width && literal < 127 &&
             !(i + literal + 2 < width && s[i + literal] == s[i + literal + 1] &&
               s[i + literal] == s[i + literal + 2]))
        ++literal;
      row.push_back(uint8_t(literal));
      row.insert(row.end(), s + i, s + i + literal);
      i += literal;
    }
    row.push_back(0);
    Put16(f, uint32_t(row.size()));
    f.insert(f.end(), row.begin(), row.end());
  }
  return f;
}

std::vector<uint8_t> EncodeHaloPalette(const std::vector<uint16_t>& rgb, uint16_t maxLevel) {
  std::vector<uint8_t> f = {'A', 'H'};
  Put16(f, 0xE3);  // version
  Put16(f, 0);     // file size, patched below
  f.push_back('P'), f.push_back(0);
  Put16(f, 0), Put16(f, 0);  // board, graphics mode
  Put16(f, uint32_t(rgb.size() / 3 - 1));
  Put16(f, maxLevel), Put16(f, maxLevel), Put16(f, maxLevel);
  const char name[20] = "Dr. Halo";
  f.insert(f.end(), name, name + 20);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    if (f.size() % 512 > 506) f.resize((f.size() / 512 + 1) * 512, 0);
    Put16(f, rgb[i]), Put16(f, rgb[i + 1]), Put16(f, rgb[i + 2]);
  }
  f[4] = uint8_t(f.size()), f[5] = uint8_t(f.size() >> 8);
  return f;
}

RgbImage PcdPicture(uint32_t seed) {
  const RgbImage blocks = PatternImage(384, 256, seed);
  RgbImage picture{768, 512, std::vector<uint8_t>(768 * 512 * 3)};
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 768; ++x) {
      // Block colour squeezed into 40..200, plus a gray offset per pixel: the colour differences stay
      // those of the block.
      const int offset = (x % 2) * 20 + (y % 2) * 10 - 15;
      for (int c = 0; c < 3; ++c)
        picture.At(x, y)[c] = uint8_t(40 + blocks.At(x / 2, y / 2)[c] * 160 / 255 + offset);
    }
  return picture;
}

std::vector<uint8_t> EncodePcd(const RgbImage& stored, int turns) {
  std::vector<uint8_t> f(0x30000, 0);
  std::fill(f.begin(), f.begin() + 0x800, uint8_t(0xFF));
  std::memcpy(&f[0x800], "PCD_IPI", 7);
  f[0x0E02] = uint8_t(turns);
  auto code = [](double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); };
  for (int y = 0; y < 512; y += 2) {
    std::vector<uint8_t> c1, c2;
    for (int row = 0; row < 2; ++row)
      for (int x = 0; x < 768; ++x) {
        const uint8_t* p = stored.At(x, y + row);
        f.push_back(code((0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]) / 1.3584));
      }
    for (int x = 0; x < 768; x += 2) {
      const uint8_t* p = stored.At(x, y);
      const double luma = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
      c1.push_back(code((p[2] - luma) / 2.2179 + 156));
      c2.push_back(code((p[0] - luma) / 1.8215 + 137));
    }
    f.insert(f.end(), c1.begin(), c1.end());
    f.insert(f.end(), c2.begin(), c2.end());
  }
  return f;
}

}  // namespace karovel::testing
