#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/family_writers.h"

namespace karovel::testing {

namespace {

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

}  // namespace

std::vector<uint8_t> EncodeRla(const RlaSpec& spec, RgbImage* expected) {
  const RgbImage pattern = PatternImage(spec.width, spec.height, 6);
  std::vector<uint8_t> f(740, 0);
  Put16(f, 0, 0), Put16(f, 2, spec.left + spec.width + 9), Put16(f, 4, 0),
      Put16(f, 6, spec.bottom + spec.height + 4);
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

}  // namespace karovel::testing
