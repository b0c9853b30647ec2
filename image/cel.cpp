// Autodesk Animator pictures and cels: a 32-byte little-endian header (magic 0x9119), a 256-colour
// palette of 6-bit VGA levels, then one byte a pixel, rows top-down.
#include <vector>

#include "base/byte_reader.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {

constexpr uint16_t kMagic = 0x9119;
constexpr size_t kHeaderSize = 32;
constexpr size_t kPaletteSize = 768;

struct CelHeader {
  uint16_t width;
  uint16_t height;
  uint8_t depth;
  uint8_t compression;
};

bool ReadHeader(const uint8_t* data, size_t size, CelHeader& h) {
  if (size < kHeaderSize + kPaletteSize) return false;
  ByteReader reader(data, size);
  if (reader.U16LE() != kMagic) return false;
  h.width = reader.U16LE();
  h.height = reader.U16LE();
  reader.Skip(4);  // placement on the screen
  h.depth = reader.U8();
  h.compression = reader.U8();
  return h.width > 0 && h.height > 0 && h.depth == 8 && h.compression == 0;
}

// Levels are 0 to 63; a palette with any larger value was written with full 8-bit levels.
std::vector<uint8_t> ReadPalette(const uint8_t* levels) {
  bool sixBit = true;
  for (size_t i = 0; i < kPaletteSize; ++i)
    if (levels[i] > 63) sixBit = false;
  std::vector<uint8_t> palette(levels, levels + kPaletteSize);
  if (sixBit)
    for (uint8_t& v : palette) v = uint8_t((v << 2) | (v >> 4));
  return palette;
}

}  // namespace

bool IsCel(const uint8_t* data, size_t size) {
  CelHeader h;
  return ReadHeader(data, size, h) && uint64_t(h.width) * h.height <= size - kHeaderSize - kPaletteSize;
}

void DecodeCel(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  out = WorkingBitmap{};
  CelHeader h;
  if (!ReadHeader(input.data, input.size, h)) throw DecodeError("Autodesk: not a plausible header");
  ByteReader reader(input.data, input.size);
  reader.Seek(kHeaderSize);
  const std::vector<uint8_t> palette = ReadPalette(reader.Take(kPaletteSize));
  if (uint64_t(h.width) * h.height > reader.Remaining()) throw DecodeError("Autodesk: pixel data too short");
  if (!AllocateBitmap(out, h.width, h.height)) throw DecodeError("Autodesk: image too large");

  RowProgressReporter reporter(progress, h.height);
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* src = reader.Take(h.width);
    uint8_t* dst = out.Row(y);
    for (int32_t x = 0; x < h.width; ++x) {
      const uint8_t* rgb = &palette[size_t(src[x]) * 3];
      dst[3 * x] = rgb[0];
      dst[3 * x + 1] = rgb[1];
      dst[3 * x + 2] = rgb[2];
    }
    reporter.Row(y + 1);
  }
}

}  // namespace karovel::image
