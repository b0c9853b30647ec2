#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/family_writers.h"

namespace karovel::testing {

namespace {

const uint8_t kEga[16][3] = {{0, 0, 0},     {0, 0, 170},    {0, 170, 0},    {0, 170, 170},
                             {170, 0, 0},   {170, 0, 170},  {170, 85, 0},   {170, 170, 170},
                             {85, 85, 85},  {85, 85, 255},  {85, 255, 85},  {85, 255, 255},
                             {255, 85, 85}, {255, 85, 255}, {255, 255, 85}, {255, 255, 255}};

void HeaderColour(int i, uint8_t* rgb) {
  rgb[0] = uint8_t(i * 16);
  rgb[1] = uint8_t(250 - i * 10);
  rgb[2] = uint8_t(i * i);
}
void VgaColour(int i, uint8_t* rgb) {
  rgb[0] = uint8_t(255 - i);
  rgb[1] = uint8_t(i * 3);
  rgb[2] = uint8_t(i / 2 + 7);
}

// The value of each pixel: a palette index, or for true colour the pattern; blocky for runs.
unsigned Index(const PcxSpec& spec, int x, int y) {
  unsigned colours = 1u << (spec.bits * spec.planes);
  return unsigned(x / 4 + y * 3) % colours;
}

void AppendRle(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& out) {
  for (size_t i = 0; i < bytes.size();) {
    size_t run = 1;
    while (i + run < bytes.size() && run < 63 && bytes[i + run] == bytes[i]) ++run;
    if (run > 1 || bytes[i] >= 0xC0) out.push_back(uint8_t(0xC0 | run));
    out.push_back(bytes[i]);
    i += run;
  }
}

}  // namespace

std::vector<uint8_t> EncodePcx(const PcxSpec& spec, RgbImage* expected) {
  const RgbImage pattern = PatternImage(spec.width, spec.height, 9);
  int bpl = (spec.width * spec.bits + 7) / 8;
  bpl += bpl % 2;
  std::vector<uint8_t> f(128, 0);
  f[0] = 0x0A, f[1] = spec.version, f[2] = 1, f[3] = spec.bits;
  f[8] = uint8_t(spec.width - 1), f[9] = uint8_t((spec.width - 1) >> 8);
  f[10] = uint8_t(spec.height - 1), f[11] = uint8_t((spec.height - 1) >> 8);
  for (int i = 0; i < 16; ++i) HeaderColour(i, &f[16 + 3 * i]);
  f[65] = spec.planes, f[66] = uint8_t(bpl), f[67] = uint8_t(bpl >> 8), f[68] = 1;

  *expected = RgbImage{spec.width, spec.height, std::vector<uint8_t>(size_t(spec.width) * spec.height * 3)};
  std::vector<uint8_t> all;
  for (int y = 0; y < spec.height; ++y) {
    std::vector<uint8_t> line(size_t(bpl) * spec.planes, 0);
    for (int x = 0; x < spec.width; ++x) {
      uint8_t* want = expected->At(x, y);
      if (spec.bits == 8 && spec.planes >= 3) {
        for (int p = 0; p < spec.planes; ++p)
          line[size_t(p) * bpl + x] = p < 3 ? pattern.At(x / 3, y)[p] : 0x55;
        std::memcpy(want, pattern.At(x / 3, y), 3);
        continue;
      }
      unsigned index = Index(spec, x, y);
      if (spec.bits == 8) {
        line[x] = uint8_t(index);
        if (spec.vgaPalette)
          VgaColour(int(index), want);
        else
          want[0] = want[1] = want[2] = uint8_t(index);
      } else if (spec.planes > 1) {
        for (int p = 0; p < spec.planes; ++p)
          if ((index >> p) & 1) line[size_t(p) * bpl + x / 8] |= uint8_t(0x80 >> (x % 8));
        if (spec.version == 3)
          std::memcpy(want, kEga[index], 3);
        else
          HeaderColour(int(index), want);
      } else if (spec.bits == 1) {
        if (index) line[x / 8] |= uint8_t(0x80 >> (x % 8));
        want[0] = want[1] = want[2] = index ? 255 : 0;
      } else {
        int perByte = 8 / spec.bits;
        line[x / perByte] |= uint8_t(index << (8 - spec.bits * (x % perByte + 1)));
        HeaderColour(int(index), want);
      }
    }
    if (spec.runsCrossLines)
      all.insert(all.end(), line.begin(), line.end());
    else
      AppendRle(line, f);
  }
  AppendRle(all, f);
  if (spec.bits == 8 && spec.planes == 1 && spec.vgaPalette) {
    f.push_back(0x0C);
    for (int i = 0; i < 256; ++i) {
      uint8_t rgb[3];
      VgaColour(i, rgb);
      f.insert(f.end(), rgb, rgb + 3);
    }
  }
  return f;
}

}  // namespace karovel::testing
