// Truevision TGA: colour-mapped, true colour and gray, uncompressed or run-length encoded, any origin.
// The format has no signature, so the content test accepts only headers whose every field is plausible
// and whose data could hold the picture; it runs first of all content tests.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/byte_reader.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {

struct TgaHeader {
  uint8_t idLength;
  uint8_t colorMapType;
  uint8_t imageType;
  uint16_t colorMapFirst;
  uint16_t colorMapLength;
  uint8_t colorMapEntryBits;
  uint16_t width;
  uint16_t height;
  uint8_t pixelBits;
  uint8_t descriptor;
};

constexpr size_t kHeaderSize = 18;

TgaHeader ReadHeader(ByteReader& reader) {
  TgaHeader h{};
  h.idLength = reader.U8();
  h.colorMapType = reader.U8();
  h.imageType = reader.U8();
  h.colorMapFirst = reader.U16LE();
  h.colorMapLength = reader.U16LE();
  h.colorMapEntryBits = reader.U8();
  reader.Skip(4);  // x and y origin: positions on a screen, not used
  h.width = reader.U16LE();
  h.height = reader.U16LE();
  h.pixelBits = reader.U8();
  h.descriptor = reader.U8();
  return h;
}

bool IsEntrySize(uint8_t bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }
bool Compressed(const TgaHeader& h) { return h.imageType >= 9; }
size_t BytesPerPixel(uint8_t bits) { return (bits + 7) / 8u; }
size_t ColorMapBytes(const TgaHeader& h) {
  return h.colorMapType ? size_t(h.colorMapLength) * BytesPerPixel(h.colorMapEntryBits) : 0;
}

// The fewest bytes of pixel data that can describe the picture: every pixel stored, or for run-length
// data one run packet (a count byte and a pixel) for every 128 pixels.
uint64_t MinimumPixelBytes(const TgaHeader& h) {
  uint64_t pixels = uint64_t(h.width) * h.height;
  uint64_t pixelBytes = BytesPerPixel(h.pixelBits);
  return Compressed(h) ? (pixels + 127) / 128 * (1 + pixelBytes) : pixels * pixelBytes;
}

bool Plausible(const TgaHeader& h, size_t fileSize) {
  uint8_t kind = h.imageType & 7;  // 1 colour-mapped, 2 true colour, 3 gray
  if (h.imageType != kind && h.imageType != kind + 8) return false;
  if (kind < 1 || kind > 3) return false;
  if (h.width == 0 || h.height == 0) return false;
  if (h.descriptor & 0xC0) return false;    // interleaving: long obsolete, never written
  if ((h.descriptor & 0x0F) > 8) return false;  // alpha bits
  if (h.colorMapType > 1) return false;
  if (h.colorMapType == 0) {
    if (h.colorMapLength != 0 || (h.colorMapEntryBits != 0 && !IsEntrySize(h.colorMapEntryBits))) return false;
  } else if (h.colorMapLength == 0 || !IsEntrySize(h.colorMapEntryBits)) {
    return false;
  }
  switch (kind) {
    case 1:
      if (h.colorMapType != 1 || h.pixelBits != 8) return false;
      break;
    case 2:
      if (!IsEntrySize(h.pixelBits)) return false;
      break;
    case 3:
      if (h.pixelBits != 8 && h.pixelBits != 16) return false;
      break;
  }
  uint64_t before = kHeaderSize + uint64_t(h.idLength) + ColorMapBytes(h);
  return before <= fileSize && MinimumPixelBytes(h) <= fileSize - before;
}

// One stored pixel (little-endian, as the file has it) to RGB.
class PixelConverter {
 public:
  PixelConverter(const TgaHeader& h, std::vector<uint8_t> palette) : h_(h), palette_(std::move(palette)) {}

  void Convert(const uint8_t* p, uint8_t* rgb) const {
    switch (h_.imageType & 7) {
      case 1: {
        int index = int(p[0]) - h_.colorMapFirst;
        if (index >= 0 && index < h_.colorMapLength)
          std::memcpy(rgb, &palette_[size_t(index) * 3], 3);
        else
          rgb[0] = rgb[1] = rgb[2] = 0;  // index outside the map
        return;
      }
      case 3:
        rgb[0] = rgb[1] = rgb[2] = p[0];  // a second byte, if any, is alpha
        return;
      default:
        TrueColor(p, h_.pixelBits, rgb);
    }
  }

  static void TrueColor(const uint8_t* p, uint8_t bits, uint8_t* rgb) {
    if (bits <= 16) {
      unsigned v = p[0] | (p[1] << 8);
      unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
      rgb[0] = uint8_t((r << 3) | (r >> 2));
      rgb[1] = uint8_t((g << 3) | (g >> 2));
      rgb[2] = uint8_t((b << 3) | (b >> 2));
    } else {
      rgb[0] = p[2];
      rgb[1] = p[1];
      rgb[2] = p[0];
    }
  }

 private:
  TgaHeader h_;
  std::vector<uint8_t> palette_;  // RGB triples
};

// Run-length packets may run on from one row into the next, so the state lives across rows.
class RleStream {
 public:
  RleStream(ByteReader& reader, size_t pixelBytes) : reader_(reader), pixelBytes_(pixelBytes) {}

  void Row(uint8_t* out, size_t pixels) {
    for (size_t x = 0; x < pixels;) {
      if (left_ == 0) {
        uint8_t head = reader_.U8();
        left_ = (head & 0x7F) + 1u;
        run_ = (head & 0x80) != 0;
        if (run_) std::memcpy(pixel_, reader_.Take(pixelBytes_), pixelBytes_);
      }
      size_t n = std::min(left_, pixels - x);
      if (run_) {
        for (size_t i = 0; i < n; ++i) std::memcpy(out + (x + i) * pixelBytes_, pixel_, pixelBytes_);
      } else {
        std::memcpy(out + x * pixelBytes_, reader_.Take(n * pixelBytes_), n * pixelBytes_);
      }
      x += n;
      left_ -= n;
    }
  }

 private:
  ByteReader& reader_;
  size_t pixelBytes_;
  size_t left_ = 0;
  bool run_ = false;
  uint8_t pixel_[4] = {};
};

}  // namespace

bool IsTga(const uint8_t* data, size_t size) {
  if (size < kHeaderSize) return false;
  ByteReader reader(data, size);
  return Plausible(ReadHeader(reader), size);
}

void DecodeTga(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  out = WorkingBitmap{};
  ByteReader reader(input.data, input.size);
  TgaHeader h = ReadHeader(reader);
  if (!Plausible(h, input.size)) throw DecodeError("TGA: implausible header or too little data");
  reader.Skip(h.idLength);

  std::vector<uint8_t> palette;
  if (h.colorMapType) {
    size_t entryBytes = BytesPerPixel(h.colorMapEntryBits);
    ByteReader map = reader.Sub(ColorMapBytes(h));
    palette.resize(size_t(h.colorMapLength) * 3);
    for (size_t i = 0; i < h.colorMapLength; ++i)
      PixelConverter::TrueColor(map.Take(entryBytes), h.colorMapEntryBits, &palette[i * 3]);
  }
  PixelConverter converter(h, std::move(palette));

  if (!AllocateBitmap(out, h.width, h.height)) throw DecodeError("TGA: image too large");
  const size_t pixelBytes = BytesPerPixel(h.pixelBits);
  const bool topDown = (h.descriptor & 0x20) != 0;
  const bool rightToLeft = (h.descriptor & 0x10) != 0;
  std::vector<uint8_t> stored(size_t(h.width) * pixelBytes);
  RleStream rle(reader, pixelBytes);
  RowProgressReporter reporter(progress, h.height);
  for (int32_t row = 0; row < h.height; ++row) {
    const uint8_t* src;
    if (Compressed(h)) {
      rle.Row(stored.data(), h.width);
      src = stored.data();
    } else {
      src = reader.Take(stored.size());
    }
    uint8_t* dst = out.Row(topDown ? row : h.height - 1 - row);
    for (int32_t x = 0; x < h.width; ++x) {
      int32_t to = rightToLeft ? h.width - 1 - x : x;
      converter.Convert(src + size_t(x) * pixelBytes, dst + size_t(to) * 3);
    }
    reporter.Row(row + 1);
  }
}

}  // namespace karovel::image
