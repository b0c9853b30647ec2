// ZSoft PCX: run-length encoded scanlines of one or more bit planes; the palette is in the header (up to
// 16 colours) or, for 256 colours, after a 0x0C marker at the end of the file.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/byte_reader.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kVgaPaletteSize = 769;  // marker byte and 256 RGB triples

struct PcxHeader {
  uint8_t version;
  uint8_t encoding;
  uint8_t bitsPerPixel;
  int32_t width;
  int32_t height;
  uint8_t planes;
  uint16_t bytesPerLine;
  const uint8_t* palette16;  // 48 bytes inside the header
};

PcxHeader ReadHeader(const uint8_t* data, size_t size) {
  ByteReader reader(data, size);
  PcxHeader h{};
  if (reader.U8() != 0x0A) throw DecodeError("PCX: no signature");
  h.version = reader.U8();
  h.encoding = reader.U8();
  h.bitsPerPixel = reader.U8();
  int32_t xMin = reader.U16LE(), yMin = reader.U16LE(), xMax = reader.U16LE(), yMax = reader.U16LE();
  h.width = xMax - xMin + 1;
  h.height = yMax - yMin + 1;
  reader.Skip(4);  // resolution
  h.palette16 = reader.Take(48);
  reader.Skip(1);
  h.planes = reader.U8();
  h.bytesPerLine = reader.U16LE();
  reader.Seek(kHeaderSize);
  return h;
}

bool Plausible(const PcxHeader& h) {
  if (h.version != 0 && (h.version < 2 || h.version > 5)) return false;
  if (h.encoding != 1 || h.width <= 0 || h.height <= 0) return false;
  bool layout = (h.bitsPerPixel == 1 && h.planes >= 1 && h.planes <= 4) ||
                ((h.bitsPerPixel == 2 || h.bitsPerPixel == 4) && h.planes == 1) ||
                (h.bitsPerPixel == 8 && (h.planes == 1 || h.planes == 3 || h.planes == 4));
  if (!layout) return false;
  return h.bytesPerLine > 0 && uint64_t(h.bytesPerLine) * 8 >= uint64_t(h.width) * h.bitsPerPixel;
}

// The palette of the first PCX versions, which carried none in the header.
constexpr uint8_t kEgaPalette[48] = {0,   0,   0,   0,   0,   170, 0,   170, 0,   0,   170, 170, 170, 0,   0,   170,
                                     0,   170, 170, 85,  0,   170, 170, 170, 85,  85,  85,  85,  85,  255, 85,  255,
                                     85,  85,  255, 255, 255, 85,  85,  255, 85,  255, 255, 255, 85,  255, 255, 255};

// Decodes the run-length stream one scanline at a time. A run may carry on into the next scanline
// (some writers do that); it is clipped to the line and the rest kept for the next one.
class RleLines {
 public:
  explicit RleLines(ByteReader reader) : reader_(reader) {}
  void Line(uint8_t* out, size_t n) {
    for (size_t i = 0; i < n;) {
      if (pending_ == 0) {
        uint8_t b = reader_.U8();
        if ((b & 0xC0) == 0xC0) {
          pending_ = b & 0x3F;
          value_ = reader_.U8();
          continue;  // a count of zero is legal and yields nothing
        }
        out[i++] = b;
        continue;
      }
      size_t take = std::min(pending_, n - i);
      std::memset(out + i, value_, take);
      i += take;
      pending_ -= take;
    }
  }

 private:
  ByteReader reader_;
  size_t pending_ = 0;
  uint8_t value_ = 0;
};

}  // namespace

bool IsPcx(const uint8_t* data, size_t size) {
  if (size <= kHeaderSize || data[0] != 0x0A) return false;
  return Plausible(ReadHeader(data, size));
}

void DecodePcx(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  out = WorkingBitmap{};
  if (input.size < kHeaderSize) throw DecodeError("PCX: too short");
  PcxHeader h = ReadHeader(input.data, input.size);
  if (!Plausible(h)) throw DecodeError("PCX: implausible header");

  size_t dataEnd = input.size;
  uint8_t palette[256 * 3];
  const bool vga = h.bitsPerPixel == 8 && h.planes == 1;
  if (vga) {
    if (input.size >= kHeaderSize + kVgaPaletteSize && input.data[input.size - kVgaPaletteSize] == 0x0C) {
      dataEnd = input.size - kVgaPaletteSize;
      std::memcpy(palette, input.data + dataEnd + 1, sizeof palette);
    } else {
      for (int i = 0; i < 256; ++i) palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] = uint8_t(i);
    }
  } else {
    std::memcpy(palette, h.version == 3 ? kEgaPalette : h.palette16, 48);
  }

  // Every stored byte costs at least 2/63 of a byte of encoded data.
  const size_t lineBytes = size_t(h.bytesPerLine) * h.planes;
  uint64_t stored = uint64_t(lineBytes) * uint64_t(h.height);
  if ((stored + 62) / 63 * 2 > dataEnd - kHeaderSize) throw DecodeError("PCX: data shorter than the picture");
  if (!AllocateBitmap(out, h.width, h.height)) throw DecodeError("PCX: image too large");

  ByteReader reader(input.data, dataEnd);
  reader.Seek(kHeaderSize);
  RleLines rle(reader);
  std::vector<uint8_t> line(lineBytes);
  RowProgressReporter reporter(progress, h.height);
  for (int32_t y = 0; y < h.height; ++y) {
    rle.Line(line.data(), line.size());
    uint8_t* dst = out.Row(y);
    const uint8_t* plane = line.data();
    const size_t bpl = h.bytesPerLine;
    for (int32_t x = 0; x < h.width; ++x, dst += 3) {
      if (h.bitsPerPixel == 8) {
        if (vga) {
          std::memcpy(dst, &palette[plane[x] * 3], 3);
        } else {
          dst[0] = plane[x];
          dst[1] = plane[bpl + x];
          dst[2] = plane[2 * bpl + x];
        }
      } else if (h.planes > 1) {
        unsigned index = 0;
        for (unsigned p = 0; p < h.planes; ++p) index |= ((plane[p * bpl + x / 8] >> (7 - x % 8)) & 1u) << p;
        std::memcpy(dst, &palette[index * 3], 3);
      } else if (h.bitsPerPixel == 1) {
        dst[0] = dst[1] = dst[2] = ((plane[x / 8] >> (7 - x % 8)) & 1) ? 255 : 0;
      } else {
        unsigned perByte = 8 / h.bitsPerPixel;
        unsigned shift = 8 - h.bitsPerPixel * (x % perByte + 1);
        unsigned index = (plane[x / perByte] >> shift) & ((1u << h.bitsPerPixel) - 1);
        std::memcpy(dst, &palette[index * 3], 3);
      }
    }
    reporter.Row(y + 1);
  }
}

}  // namespace karovel::image
