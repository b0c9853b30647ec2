// Windows and OS/2 bitmaps: 1, 4, 8, 16, 24 and 32 bits a pixel, uncompressed, RLE4, RLE8 and bit
// fields, bottom-up or top-down. A file without the 14-byte file header (a packed DIB) is read too.
#include <algorithm>
#include <bit>
#include <cstring>

#include "base/byte_reader.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr size_t kFileHeaderSize = 14;

struct BmpHeader {
  uint32_t headerSize = 0;
  int64_t width = 0;
  int64_t height = 0;  // rows, always positive
  bool topDown = false;
  uint16_t bitCount = 0;
  uint32_t compression = kRgb;
  uint32_t colorsUsed = 0;
  uint32_t masks[3] = {0, 0, 0};
  bool core = false;  // OS/2 1.x: 16-bit sizes, 3-byte palette entries
};

bool KnownHeaderSize(uint32_t size) {
  // 12: OS/2 1.x; 16 to 64: OS/2 2.x (a prefix of its 64 bytes); 40, 52, 56, 108, 124: Windows.
  return size == 12 || (size >= 16 && size <= 64) || size == 108 || size == 124;
}

BmpHeader ReadInfoHeader(ByteReader& r) {
  BmpHeader h;
  size_t start = r.Position();
  h.headerSize = r.U32LE();
  if (!KnownHeaderSize(h.headerSize)) throw DecodeError("BMP: unknown header size");
  int64_t height;
  if (h.headerSize == 12) {
    h.core = true;
    h.width = r.U16LE();
    height = r.U16LE();
    r.Skip(2);  // planes
    h.bitCount = r.U16LE();
  } else {
    h.width = r.I32LE();
    height = r.I32LE();
    r.Skip(2);
    h.bitCount = r.U16LE();
    // A short OS/2 2.x header stops after any field; the missing ones are zero.
    ByteReader rest = r.Sub(h.headerSize - 16);
    if (rest.CanRead(4)) h.compression = rest.U32LE();
    if (rest.CanRead(16)) rest.Skip(12);  // image size, resolution
    if (rest.CanRead(4)) h.colorsUsed = rest.U32LE();
    if (h.headerSize >= 52) {
      rest.Seek(40 - 16);
      for (uint32_t& m : h.masks) m = rest.U32LE();
    }
  }
  r.Seek(start + h.headerSize);
  if (height < 0) {
    h.topDown = true;
    height = -height;
  }
  h.height = height;
  if (h.width <= 0 || h.height <= 0) throw DecodeError("BMP: empty picture");
  if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
    if (h.bitCount != 16 && h.bitCount != 32) throw DecodeError("BMP: bit fields need 16 or 32 bits");
    if (h.headerSize < 52) {
      for (uint32_t& m : h.masks) m = r.U32LE();
      if (h.compression == kAlphaBitFields) r.Skip(4);
    }
  } else if (h.bitCount == 16) {
    h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
  } else if (h.bitCount == 32) {
    h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
  }
  switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      throw DecodeError("BMP: unsupported bits per pixel");
  }
  bool ok = h.compression == kRgb || (h.compression == kRle8 && h.bitCount == 8) ||
            (h.compression == kRle4 && h.bitCount == 4) || h.compression == kBitFields ||
            h.compression == kAlphaBitFields;
  if (!ok) throw DecodeError("BMP: unsupported compression");
  return h;
}

// One colour channel given by a bit mask, scaled to 0..255.
class Channel {
 public:
  explicit Channel(uint32_t mask) {
    if (mask == 0) return;
    shift_ = std::countr_zero(mask);
    max_ = mask >> shift_;
  }
  uint8_t Of(uint32_t v) const {
    if (max_ == 0) return 0;
    uint64_t c = (v >> shift_) & max_;
    return uint8_t((c * 255 + max_ / 2) / max_);
  }

 private:
  int shift_ = 0;
  uint32_t max_ = 0;
};

struct Palette {
  uint8_t rgb[256][3] = {};  // missing entries stay black
};

Palette ReadPalette(const BmpHeader& h, ByteReader& r, size_t pixelOffset) {
  Palette p;
  if (h.bitCount > 8) return p;
  size_t entrySize = h.core ? 3 : 4;
  size_t count = size_t(1) << h.bitCount;
  if (h.colorsUsed != 0 && h.colorsUsed < count) count = h.colorsUsed;
  // The palette ends where the pixels begin; old files often store fewer entries than the depth allows.
  if (pixelOffset != 0) count = std::min(count, (pixelOffset - r.Position()) / entrySize);
  count = std::min(count, r.Remaining() / entrySize);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = r.Take(entrySize);
    p.rgb[i][0] = e[2];
    p.rgb[i][1] = e[1];
    p.rgb[i][2] = e[0];
  }
  return p;
}

class RowOrder {
 public:
  RowOrder(const BmpHeader& h, WorkingBitmap& out) : topDown_(h.topDown), out_(out) {}
  // The bitmap row of the n-th stored row.
  uint8_t* Row(int64_t n) const { return out_.Row(int32_t(topDown_ ? n : out_.height - 1 - n)); }

 private:
  bool topDown_;
  WorkingBitmap& out_;
};

void DecodeUncompressed(const BmpHeader& h, const Palette& palette, ByteReader& r, WorkingBitmap& out,
                        const RowProgress& progress) {
  const size_t width = size_t(h.width);
  const size_t stride = (width * h.bitCount + 31) / 32 * 4;
  const size_t used = (width * h.bitCount + 7) / 8;
  const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
  RowOrder order(h, out);
  RowProgressReporter reporter(progress, h.height);
  for (int64_t n = 0; n < h.height; ++n) {
    // The padding of the last row may be missing from an otherwise complete file.
    const uint8_t* s = r.Take(n + 1 < h.height ? stride : used);
    uint8_t* d = order.Row(n);
    switch (h.bitCount) {
      case 1:
        for (size_t x = 0; x < width; ++x)
          std::memcpy(d + x * 3, palette.rgb[(s[x / 8] >> (7 - x % 8)) & 1], 3);
        break;
      case 4:
        for (size_t x = 0; x < width; ++x)
          std::memcpy(d + x * 3, palette.rgb[(x % 2 ? s[x / 2] : s[x / 2] >> 4) & 15], 3);
        break;
      case 8:
        for (size_t x = 0; x < width; ++x) std::memcpy(d + x * 3, palette.rgb[s[x]], 3);
        break;
      case 16:
        for (size_t x = 0; x < width; ++x) {
          uint32_t v = s[2 * x] | (s[2 * x + 1] << 8);
          d[3 * x] = red.Of(v), d[3 * x + 1] = green.Of(v), d[3 * x + 2] = blue.Of(v);
        }
        break;
      case 24:
        for (size_t x = 0; x < width; ++x) {
          d[3 * x] = s[3 * x + 2], d[3 * x + 1] = s[3 * x + 1], d[3 * x + 2] = s[3 * x];
        }
        break;
      case 32:
        for (size_t x = 0; x < width; ++x) {
          const uint8_t* p = s + 4 * x;
          uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
          d[3 * x] = red.Of(v), d[3 * x + 1] = green.Of(v), d[3 * x + 2] = blue.Of(v);
        }
        break;
    }
    reporter.Row(n + 1);
  }
}

// RLE8 and RLE4. Pixels the stream skips (deltas, early ends of line or bitmap) keep colour index 0.
void DecodeRle(const BmpHeader& h, const Palette& palette, ByteReader& r, WorkingBitmap& out,
               const RowProgress& progress) {
  const bool four = h.compression == kRle4;
  const int64_t width = h.width;
  RowOrder order(h, out);
  for (int64_t n = 0; n < h.height; ++n) {
    uint8_t* d = order.Row(n);
    for (int64_t x = 0; x < width; ++x) std::memcpy(d + x * 3, palette.rgb[0], 3);
  }
  RowProgressReporter reporter(progress, h.height);
  int64_t x = 0, y = 0;
  auto put = [&](int index) {
    if (x < width && y < h.height) std::memcpy(order.Row(y) + x * 3, palette.rgb[index], 3);
    ++x;
  };
  while (y < h.height) {
    uint8_t count = r.U8();
    uint8_t value = r.U8();
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four ? (i % 2 ? value & 15 : value >> 4) : value);
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        reporter.Row(y);
        break;
      case 1:  // end of bitmap
        y = h.height;
        break;
      case 2: {  // delta
        uint8_t dx = r.U8();
        uint8_t dy = r.U8();
        x += dx;
        y += dy;
        reporter.Row(std::min(y, h.height));
        break;
      }
      default: {  // a literal run, padded to a 16-bit boundary
        size_t bytes = four ? (value + 1u) / 2 : value;
        const uint8_t* s = r.Take(bytes);
        for (int i = 0; i < value; ++i) put(four ? (i % 2 ? s[i / 2] & 15 : s[i / 2] >> 4) : s[i]);
        if (bytes % 2) r.Skip(1);
      }
    }
  }
  reporter.Row(h.height);
}

}  // namespace

void DecodeBmp(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  ByteReader r(input.data, input.size);
  size_t pixelOffset = 0;  // 0: right after the palette (packed DIB)
  if (r.CanRead(2) && input.data[0] == 'B' && input.data[1] == 'M') {
    r.Skip(10);
    pixelOffset = r.U32LE();
  }
  BmpHeader h = ReadInfoHeader(r);
  if (pixelOffset != 0 && pixelOffset < r.Position()) throw DecodeError("BMP: pixels inside the header");
  Palette palette = ReadPalette(h, r, pixelOffset);
  if (pixelOffset != 0) r.Seek(pixelOffset);

  // Refuse pictures the data cannot hold before allocating them. Run-length data reaches at most
  // 255 pixels with two bytes; allow twice that, plus a margin for small pictures that end early.
  const uint64_t pixels = uint64_t(h.width) * uint64_t(h.height);
  if (h.compression == kRle4 || h.compression == kRle8) {
    if (pixels / 256 > r.Remaining() + 256) throw DecodeError("BMP: run-length data too short");
  } else {
    const uint64_t stride = (uint64_t(h.width) * h.bitCount + 31) / 32 * 4;
    const uint64_t used = (uint64_t(h.width) * h.bitCount + 7) / 8;
    if (used > r.Remaining() || uint64_t(h.height) - 1 > (r.Remaining() - used) / stride)
      throw DecodeError("BMP: pixel data too short");
  }
  if (!AllocateBitmap(out, h.width, h.height)) throw DecodeError("BMP: image too large");
  if (h.compression == kRle4 || h.compression == kRle8)
    DecodeRle(h, palette, r, out, progress);
  else
    DecodeUncompressed(h, palette, r, out, progress);
}

}  // namespace karovel::image
