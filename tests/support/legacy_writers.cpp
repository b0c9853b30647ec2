#include "tests/support/legacy_writers.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace karovel::testing {

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

namespace {

// A block: "~BK\0", id, lengths (the oldest layout also gives the length of the first chunk).
void PutBlock(std::vector<uint8_t>& out, uint16_t major, uint16_t id, const std::vector<uint8_t>& body,
              size_t initialLength = 0) {
  out.insert(out.end(), {'~', 'B', 'K', 0});
  Put16(out, id);
  if (major < 4) Put32(out, uint32_t(initialLength));
  Put32(out, uint32_t(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

// A chunk of the later layouts starts with its length, the length field included.
std::vector<uint8_t> Chunk(const std::vector<uint8_t>& content) {
  std::vector<uint8_t> out;
  Put32(out, uint32_t(content.size() + 4));
  out.insert(out.end(), content.begin(), content.end());
  return out;
}

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& more) {
  out.insert(out.end(), more.begin(), more.end());
}

void PutRect(std::vector<uint8_t>& out, int left, int top, int right, int bottom) {
  for (int v : {left, top, right, bottom}) Put32(out, uint32_t(v));
}

std::vector<uint8_t> PspRle(const std::vector<uint8_t>& s) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < s.size();) {
    size_t run = 1;
    while (i + run < s.size() && run < 127 && s[i + run] == s[i]) ++run;
    if (run >= 3) {
      out.push_back(uint8_t(128 + run));
      out.push_back(s[i]);
      i += run;
      continue;
    }
    size_t literal = 1;
    while (i + literal < s.size() && literal < 128 &&
           !(i + literal + 2 < s.size() && s[i + literal] == s[i + literal + 1] &&
             s[i + literal] == s[i + literal + 2]))
      ++literal;
    out.push_back(uint8_t(literal));
    out.insert(out.end(), s.begin() + long(i), s.begin() + long(i + literal));
    i += literal;
  }
  return out;
}

std::vector<uint8_t> PspChannel(const PspSpec& spec, const std::vector<uint8_t>& samples, int width,
                                int height, uint16_t bitmapType, uint16_t channelType) {
  std::vector<uint8_t> expanded = samples;
  if (spec.paddedRows && spec.compression == 0 && width % 4) {
    expanded.clear();
    for (int y = 0; y < height; ++y) {
      expanded.insert(expanded.end(), samples.begin() + long(y) * width,
                      samples.begin() + long(y + 1) * width);
      expanded.resize(expanded.size() + size_t(4 - width % 4), 0xEE);
    }
  }
  std::vector<uint8_t> stored = expanded;
  if (spec.compression == 1) stored = PspRle(expanded);
  if (spec.compression == 2) {
    uLongf length = compressBound(uLong(expanded.size()));
    stored.resize(length);
    compress(stored.data(), &length, expanded.data(), uLong(expanded.size()));
    stored.resize(length);
  }
  std::vector<uint8_t> info;
  Put32(info, uint32_t(stored.size())), Put32(info, uint32_t(expanded.size()));
  Put16(info, bitmapType), Put16(info, channelType);
  std::vector<uint8_t> body = spec.major < 4 ? info : Chunk(info);
  Append(body, stored);
  std::vector<uint8_t> block;
  PutBlock(block, spec.major, 5, body, info.size());
  return block;
}

void PspPalette(const PspSpec& spec, std::vector<uint8_t>& out) {
  std::vector<uint8_t> count;
  Put32(count, 256);
  std::vector<uint8_t> body = spec.major < 4 ? count : Chunk(count);
  for (int i = 0; i < 256; ++i)
    body.insert(body.end(), {uint8_t(i * 3), uint8_t(255 - i), uint8_t(i), 0});  // B, G, R
  PutBlock(out, spec.major, 2, body, 4);
}

// Channel blocks of a width x height picture, and what it shows.
std::vector<uint8_t> PspChannels(const PspSpec& spec, int width, int height, RgbImage& shown, int& count) {
  const RgbImage pattern = PatternImage(width, height, 9);
  shown = RgbImage{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
  std::vector<uint8_t> planes[4];
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = shown.At(x, y);
      if (spec.depth == 8) {
        uint8_t i = uint8_t((x / 3 + y * 7) % 256);
        planes[0].push_back(i);
        if (spec.greyscale)
          p[0] = p[1] = p[2] = i;
        else
          p[0] = i, p[1] = uint8_t(255 - i), p[2] = uint8_t(i * 3);
      } else {
        for (int c = 0; c < 3; ++c) planes[c + 1].push_back(p[c] = pattern.At(x / 2 * 2, y)[c]);
      }
    }
  // A transparency mask first, which is not part of the colours.
  std::vector<uint8_t> out = PspChannel(
      spec, std::vector<uint8_t>(planes[spec.depth == 8 ? 0 : 1].size(), 0x80), width, height, 1, 0);
  count = 1;
  for (int c = spec.depth == 8 ? 0 : 1; c <= (spec.depth == 8 ? 0 : 3); ++c, ++count)
    Append(out, PspChannel(spec, planes[c], width, height, 0, uint16_t(c)));
  return out;
}

std::vector<uint8_t> PspLayer(const PspSpec& spec, uint8_t type, int left, int top, int width, int height,
                              const std::vector<uint8_t>& channels, int channelCount) {
  std::vector<uint8_t> info;
  const std::string name = "Background";
  if (spec.major < 4) {
    info.insert(info.end(), name.begin(), name.end());
    info.resize(256, 0);
  } else {
    Put16(info, uint16_t(name.size()));
    info.insert(info.end(), name.begin(), name.end());
  }
  info.push_back(type);
  PutRect(info, left, top, left + spec.savedLeft + width + 3, top + spec.savedTop + height + 2);
  PutRect(info, spec.savedLeft, spec.savedTop, spec.savedLeft + width, spec.savedTop + height);
  info.insert(info.end(), {255, 0, 1, 0, 0});
  info.resize(info.size() + 32 + 3, 0);
  Put16(info, 5);
  info.resize(info.size() + 40, 0xFF);
  std::vector<uint8_t> counts;
  Put16(counts, 2), Put16(counts, uint16_t(channelCount));
  std::vector<uint8_t> body;
  if (spec.major < 4) {
    body = info;
    Append(body, counts);
  } else {
    body = Chunk(info);
    Append(body, Chunk(counts));
  }
  const size_t initial = body.size();
  Append(body, channels);
  std::vector<uint8_t> block;
  PutBlock(block, spec.major, 4, body, initial);
  return block;
}

std::vector<uint8_t> PspComposite(const PspSpec& spec, int width, int height, uint16_t type,
                                  const std::vector<uint8_t>& channels, int channelCount) {
  std::vector<uint8_t> attributes;
  Put32(attributes, uint32_t(width)), Put32(attributes, uint32_t(height));
  Put16(attributes, uint16_t(spec.depth)), Put16(attributes, spec.compression);
  Put16(attributes, spec.depth == 8 ? 1 : 3), Put32(attributes, spec.depth == 8 ? 256 : 1u << 24);
  Put16(attributes, type);
  std::vector<uint8_t> out;
  PutBlock(out, spec.major, 17, Chunk(attributes));
  std::vector<uint8_t> counts;
  Put16(counts, 1), Put16(counts, uint16_t(channelCount));
  std::vector<uint8_t> image = Chunk(counts);
  if (spec.depth == 8 && !spec.greyscale) PspPalette(spec, image);
  Append(image, channels);
  PutBlock(out, spec.major, 9, image);
  return out;
}

}  // namespace

std::vector<uint8_t> EncodePsp(const PspSpec& spec, RgbImage* expected) {
  std::vector<uint8_t> f(32, 0);
  std::memcpy(f.data(), "Paint Shop Pro Image File\n\x1a", 27);
  Put16(f, spec.major), Put16(f, 0);

  std::vector<uint8_t> attributes;
  Put32(attributes, uint32_t(spec.width)), Put32(attributes, uint32_t(spec.height));
  const double dpi = 72.0;
  uint8_t raw[8];
  std::memcpy(raw, &dpi, 8);
  attributes.insert(attributes.end(), raw, raw + 8);
  attributes.push_back(1);
  Put16(attributes, spec.compression), Put16(attributes, uint16_t(spec.depth));
  Put16(attributes, spec.depth == 8 ? 1 : 3), Put32(attributes, spec.depth == 8 ? 256 : 1u << 24);
  attributes.push_back(spec.greyscale);
  Put32(attributes, uint32_t(spec.width * spec.height * spec.depth / 8));
  Put32(attributes, 0), Put16(attributes, spec.composite ? 0 : spec.otherLayerFirst ? 2 : 1);
  if (spec.major >= 4) Put32(attributes, 1);
  PutBlock(f, spec.major, 0, spec.major < 4 ? attributes : Chunk(attributes), attributes.size());

  std::vector<uint8_t> creator(20, 'k');
  PutBlock(f, spec.major, 1, creator, creator.size());  // a block we have no use for
  if (spec.depth == 8 && !spec.greyscale && !spec.composite) PspPalette(spec, f);

  *expected =
      RgbImage{spec.width, spec.height, std::vector<uint8_t>(size_t(spec.width) * spec.height * 3, 0xFF)};
  RgbImage shown;
  int count = 0;
  if (spec.composite) {
    std::vector<uint8_t> bank = Chunk({2, 0, 0, 0});
    RgbImage thumbnail;
    PspSpec small = spec;
    small.depth = 24;
    Append(bank, PspComposite(small, 5, 3, 1, PspChannels(small, 5, 3, thumbnail, count), count));
    Append(bank, PspComposite(spec, spec.width, spec.height, 0,
                              PspChannels(spec, spec.width, spec.height, shown, count), count));
    PutBlock(f, spec.major, 16, bank);
    *expected = shown;
    return f;
  }
  const int width = spec.layerWidth ? spec.layerWidth : spec.width;
  const int height = spec.layerHeight ? spec.layerHeight : spec.height;
  std::vector<uint8_t> layers;
  if (spec.otherLayerFirst) {
    RgbImage ignored;
    std::vector<uint8_t> channels = PspChannels(spec, width, height, ignored, count);
    Append(layers, PspLayer(spec, spec.major < 4 ? 1 : 3, 0, 0, width, height, channels, count));
  }
  std::vector<uint8_t> channels = PspChannels(spec, width, height, shown, count);
  Append(layers, PspLayer(spec, spec.major < 4 ? 0 : 1, spec.layerLeft, spec.layerTop, width, height,
                          channels, count));
  PutBlock(f, spec.major, 3, layers);
  const int left = spec.layerLeft + spec.savedLeft, top = spec.layerTop + spec.savedTop;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (left + x < spec.width && top + y < spec.height)
        std::memcpy(expected->At(left + x, top + y), shown.At(x, y), 3);
  return f;
}

}  // namespace karovel::testing
