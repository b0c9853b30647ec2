#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/family_writers.h"

namespace karovel::testing {

namespace {

void Put16(std::vector<uint8_t>& f, size_t at, uint32_t v) {
  f[at] = uint8_t(v >> 8);
  f[at + 1] = uint8_t(v);
}
void Put32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (24 - 8 * i));
}

// Blocky pattern with a fourth (alpha) channel; shared rows repeat every other row.
uint8_t SampleAt(const SgiSpec& spec, const RgbImage& pattern, int x, int y, int c) {
  int row = spec.shareRows ? y / 2 * 2 : y;
  return c < 3 ? pattern.At(x / 2 * 2, row)[c] : uint8_t(x * 11);
}

void AppendValue(std::vector<uint8_t>& out, unsigned v, size_t bpc) {
  if (bpc == 2) out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

std::vector<uint8_t> EncodeRleRow(const std::vector<unsigned>& s, size_t bpc) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < s.size();) {
    size_t run = 1;
    while (i + run < s.size() && run < 127 && s[i + run] == s[i]) ++run;
    if (run >= 2) {
      AppendValue(out, unsigned(run), bpc);
      AppendValue(out, s[i], bpc);
      i += run;
      continue;
    }
    size_t lit = 1;
    while (i + lit < s.size() && lit < 127 && s[i + lit] != s[i + lit - 1]) ++lit;
    if (i + lit < s.size() && lit > 1) --lit;
    AppendValue(out, unsigned(0x80 | lit), bpc);
    for (size_t k = 0; k < lit; ++k) AppendValue(out, s[i + k], bpc);
    i += lit;
  }
  AppendValue(out, 0, bpc);
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeSgi(const SgiSpec& spec, RgbImage* expected) {
  const RgbImage pattern = PatternImage(spec.width, spec.height, 4);
  const size_t bpc = spec.bytesPerChannel;
  std::vector<uint8_t> f(512, 0);
  Put16(f, 0, 474);
  f[2] = spec.rle, f[3] = spec.bytesPerChannel;
  Put16(f, 4, spec.dimension);
  Put16(f, 6, uint32_t(spec.width)), Put16(f, 8, uint32_t(spec.height)), Put16(f, 10, spec.channels);
  Put32(f, 16, bpc == 2 ? 65535 : 255);
  std::memcpy(&f[24], "karovel", 7);

  *expected = RgbImage{spec.width, spec.height, std::vector<uint8_t>(size_t(spec.width) * spec.height * 3)};
  for (int y = 0; y < spec.height; ++y)
    for (int x = 0; x < spec.width; ++x)
      for (int c = 0; c < 3; ++c)
        expected->At(x, y)[c] = SampleAt(spec, pattern, x, y, spec.channels >= 3 ? c : 0);

  // Records in file order: channel by channel, rows bottom-up; 16-bit samples carry a low byte too.
  auto samples = [&](int fileRow, int c) {
    std::vector<unsigned> s;
    for (int x = 0; x < spec.width; ++x) {
      unsigned v = SampleAt(spec, pattern, x, spec.height - 1 - fileRow, c);
      s.push_back(bpc == 2 ? v * 256 + (x & 0xFF) : v);
    }
    return s;
  };
  if (!spec.rle) {
    for (int c = 0; c < spec.channels; ++c)
      for (int r = 0; r < spec.height; ++r)
        for (unsigned v : samples(r, c)) AppendValue(f, v, bpc);
    return f;
  }
  size_t records = size_t(spec.height) * spec.channels;
  size_t tables = f.size();
  f.resize(f.size() + records * 8);
  for (int c = 0; c < spec.channels; ++c)
    for (int r = 0; r < spec.height; ++r) {
      size_t i = size_t(c) * spec.height + r;
      // Picture rows 2k and 2k+1 are equal; the bottom-up file rows pair the same way when the height is
      // even.
      bool reuse = spec.shareRows && r % 2 == 1;
      std::vector<uint8_t> record = EncodeRleRow(samples(r, c), bpc);
      size_t start = reuse ? (f[tables + (i - 1) * 4] << 24 | f[tables + (i - 1) * 4 + 1] << 16 |
                              f[tables + (i - 1) * 4 + 2] << 8 | f[tables + (i - 1) * 4 + 3])
                           : f.size();
      if (!reuse) f.insert(f.end(), record.begin(), record.end());
      Put32(f, tables + i * 4, uint32_t(start));
      Put32(f, tables + (records + i) * 4, uint32_t(record.size()));
    }
  return f;
}

}  // namespace karovel::testing
