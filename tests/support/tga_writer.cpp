#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/family_writers.h"

namespace karovel::testing {

namespace {

// Blocky, so run-length packets have runs to find.
const RgbImage& Source() {
  static const RgbImage image = [] {
    RgbImage pattern = PatternImage(64, 32, 5), blocky = pattern;
    for (int y = 0; y < blocky.height; ++y)
      for (int x = 0; x < blocky.width; ++x) std::memcpy(blocky.At(x, y), pattern.At(x / 3 * 3, y), 3);
    return blocky;
  }();
  return image;
}

int PaletteIndex(int x, int y) { return (x / 3 + y * 5) % 200; }
void PaletteColour(int i, uint8_t* rgb) {
  rgb[0] = uint8_t(i);
  rgb[1] = uint8_t(255 - i);
  rgb[2] = uint8_t(i * 7);
}

uint8_t Five(uint8_t c) { return uint8_t(c >> 3); }
uint8_t FromFive(uint8_t c5) { return uint8_t((c5 << 3) | (c5 >> 2)); }

void StoreColour(const uint8_t* rgb, uint8_t bits, std::vector<uint8_t>& out) {
  if (bits <= 16) {
    unsigned v = (Five(rgb[0]) << 10) | (Five(rgb[1]) << 5) | Five(rgb[2]) | (bits == 16 ? 0x8000 : 0);
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
  } else {
    out.insert(out.end(), {rgb[2], rgb[1], rgb[0]});
    if (bits == 32) out.push_back(0x80);
  }
}

// The stored pixel of picture position (x, y), and the colour it must decode to.
std::vector<uint8_t> StoredPixel(const TgaSpec& spec, int x, int y, uint8_t* expected) {
  std::vector<uint8_t> p;
  switch (spec.imageType & 7) {
    case 1: {
      int i = PaletteIndex(x, y);
      p.push_back(uint8_t(i + spec.mapFirst));
      PaletteColour(i, expected);
      if (spec.mapBits <= 16)
        for (int c = 0; c < 3; ++c) expected[c] = FromFive(Five(expected[c]));
      break;
    }
    case 3:
      p.push_back(Source().At(x, y)[1]);
      if (spec.pixelBits == 16) p.push_back(0xFF);
      expected[0] = expected[1] = expected[2] = Source().At(x, y)[1];
      break;
    default:
      StoreColour(Source().At(x, y), spec.pixelBits, p);
      for (int c = 0; c < 3; ++c)
        expected[c] = spec.pixelBits <= 16 ? FromFive(Five(Source().At(x, y)[c])) : Source().At(x, y)[c];
  }
  return p;
}

void AppendRle(const std::vector<std::vector<uint8_t>>& pixels, std::vector<uint8_t>& out) {
  for (size_t i = 0; i < pixels.size();) {
    size_t run = 1;
    while (i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i]) ++run;
    if (run >= 2) {
      out.push_back(uint8_t(0x80 | (run - 1)));
      out.insert(out.end(), pixels[i].begin(), pixels[i].end());
      i += run;
      continue;
    }
    size_t raw = 1;
    while (i + raw < pixels.size() && raw < 128 && pixels[i + raw] != pixels[i + raw - 1]) ++raw;
    if (i + raw < pixels.size() && raw > 1) --raw;  // leave the start of the next run to it
    out.push_back(uint8_t(raw - 1));
    for (size_t k = 0; k < raw; ++k) out.insert(out.end(), pixels[i + k].begin(), pixels[i + k].end());
    i += raw;
  }
}

}  // namespace

std::vector<uint8_t> EncodeTga(const TgaSpec& spec, RgbImage* expected) {
  const std::string id = "karovel test";
  uint16_t mapLength = spec.mapBits ? 200 : 0;
  std::vector<uint8_t> f = {uint8_t(id.size()),
                            uint8_t(spec.mapBits ? 1 : 0),
                            spec.imageType,
                            uint8_t(spec.mapFirst),
                            uint8_t(spec.mapFirst >> 8),
                            uint8_t(mapLength),
                            uint8_t(mapLength >> 8),
                            spec.mapBits,
                            0,
                            0,
                            0,
                            0,
                            uint8_t(spec.width),
                            uint8_t(spec.width >> 8),
                            uint8_t(spec.height),
                            uint8_t(spec.height >> 8),
                            spec.pixelBits,
                            spec.descriptor};
  f.reserve(size_t(spec.width) * spec.height * 8 + 4096);
  f.insert(f.end(), id.begin(), id.end());
  for (int i = 0; i < mapLength; ++i) {
    uint8_t rgb[3];
    PaletteColour(i, rgb);
    StoreColour(rgb, spec.mapBits, f);
  }
  *expected = RgbImage{spec.width, spec.height, std::vector<uint8_t>(size_t(spec.width) * spec.height * 3)};
  bool topDown = spec.descriptor & 0x20, rightToLeft = spec.descriptor & 0x10;
  std::vector<std::vector<uint8_t>> stream;
  for (int r = 0; r < spec.height; ++r) {
    std::vector<std::vector<uint8_t>> row;
    for (int c = 0; c < spec.width; ++c) {
      int x = rightToLeft ? spec.width - 1 - c : c, y = topDown ? r : spec.height - 1 - r;
      row.push_back(StoredPixel(spec, x, y, expected->At(x, y)));
    }
    if (spec.imageType < 8) {
      for (auto& p : row) f.insert(f.end(), p.begin(), p.end());
    } else if (spec.packetsCrossRows) {
      stream.insert(stream.end(), row.begin(), row.end());
    } else {
      AppendRle(row, f);
    }
  }
  if (!stream.empty()) AppendRle(stream, f);
  const char footer[] = "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.";
  f.insert(f.end(), footer, footer + sizeof footer);
  return f;
}

}  // namespace karovel::testing
