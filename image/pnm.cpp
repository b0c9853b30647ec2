// Portable bitmap, graymap and pixmap: P1/P2/P3 as text, P4/P5/P6 binary; maxval up to 65535.
#include <cctype>

#include "base/byte_reader.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Header and text samples: whitespace and comments (from '#' to the end of the line) separate numbers.
class PnmText {
 public:
  explicit PnmText(ByteReader& reader) : r_(reader) {}

  void SkipSeparators() {
    while (!r_.AtEnd()) {
      uint8_t c = r_.U8At(r_.Position());
      if (IsSpace(c)) {
        r_.Skip(1);
      } else if (c == '#') {
        while (!r_.AtEnd() && r_.U8() != '\n') {
        }
      } else {
        return;
      }
    }
  }

  // A decimal number of at most 'limit'; larger values fail rather than wrap.
  uint32_t Number(uint32_t limit) {
    SkipSeparators();
    uint64_t v = 0;
    int digits = 0;
    while (!r_.AtEnd() && std::isdigit(r_.U8At(r_.Position()))) {
      v = v * 10 + (r_.U8() - '0');
      if (v > limit) throw DecodeError("PNM: number out of range");
      ++digits;
    }
    if (digits == 0) throw DecodeError("PNM: number expected");
    return static_cast<uint32_t>(v);
  }

  // One P1 pixel: '0' or '1', separators optional.
  bool Bit() {
    SkipSeparators();
    uint8_t c = r_.U8();
    if (c != '0' && c != '1') throw DecodeError("PNM: bad bit");
    return c == '1';
  }

 private:
  ByteReader& r_;
};

uint8_t Scale(uint32_t v, uint32_t maxval) {
  if (v >= maxval) return 255;
  return static_cast<uint8_t>((uint64_t(v) * 255 + maxval / 2) / maxval);
}

}  // namespace

bool IsPnm(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 'P' && data[1] >= '1' && data[1] <= '6' && IsSpace(data[2]);
}

void DecodePnm(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  if (!IsPnm(input.data, input.size)) throw DecodeError("PNM: no signature");
  ByteReader r(input.data, input.size);
  r.Skip(2);
  const int kind = input.data[1] - '0';
  const bool binary = kind >= 4;
  const bool bits = kind == 1 || kind == 4;
  const int channels = (kind == 3 || kind == 6) ? 3 : 1;

  PnmText text(r);
  const uint32_t width = text.Number(INT32_MAX);
  const uint32_t height = text.Number(INT32_MAX);
  const uint32_t maxval = bits ? 1 : text.Number(65535);
  if (width == 0 || height == 0 || maxval == 0) throw DecodeError("PNM: bad header");
  // Binary data starts after exactly one whitespace byte.
  if (binary && !IsSpace(r.U8())) throw DecodeError("PNM: bad header end");

  const uint64_t samples = uint64_t(width) * height * channels;
  const int sampleBytes = maxval > 255 ? 2 : 1;
  const uint64_t rowBytes = kind == 4 ? (uint64_t(width) + 7) / 8 : uint64_t(width) * channels * sampleBytes;
  // Every text sample takes at least one byte; binary rows are all there or the file is refused.
  if (binary ? rowBytes * height > r.Remaining() : samples > r.Remaining())
    throw DecodeError("PNM: data shorter than the header claims");
  if (!AllocateBitmap(out, width, height)) throw DecodeError("PNM: picture too large");

  RowProgressReporter report(progress, height);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = out.Row(static_cast<int32_t>(y));
    if (kind == 4) {
      const uint8_t* src = r.Take(static_cast<size_t>(rowBytes));
      for (uint32_t x = 0; x < width; ++x) {
        uint8_t v = (src[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;  // 1 is black
        row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = v;
      }
    } else if (kind == 1) {
      for (uint32_t x = 0; x < width; ++x) {
        uint8_t v = text.Bit() ? 0 : 255;
        row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = v;
      }
    } else {
      const uint8_t* src = binary ? r.Take(static_cast<size_t>(rowBytes)) : nullptr;
      for (uint32_t x = 0; x < width; ++x) {
        uint8_t* dst = row + size_t(x) * 3;
        for (int c = 0; c < channels; ++c) {
          uint32_t v;
          if (!binary) {
            v = text.Number(65535);
          } else if (sampleBytes == 2) {
            v = (uint32_t(src[0]) << 8) | src[1];
            src += 2;
          } else {
            v = *src++;
          }
          dst[c] = Scale(v, maxval);
        }
        if (channels == 1) dst[1] = dst[2] = dst[0];
      }
    }
    report.Row(y + 1);
  }
}

}  // namespace karovel::image
