// Kodak Photo-CD image packs: we read the Base image (768 x 512), stored as Photo YCC with pairs of
// luma rows followed by one row of each chroma channel at half resolution, and turned upright by the
// orientation recorded in the image pack attributes. The larger resolutions are left alone.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/byte_reader.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {

constexpr size_t kSector = 0x800;
constexpr size_t kSignatureAt = kSector;   // "PCD_IPI" opens the image pack attributes
constexpr size_t kOrientationAt = 0x0E02;  // low two bits: quarter turns
constexpr size_t kBaseAt = 96 * kSector;   // Base/16 and Base/4 come before it
constexpr int32_t kWidth = 768;
constexpr int32_t kHeight = 512;
constexpr size_t kBaseBytes = size_t(kWidth) * kHeight * 3 / 2;

// Photo YCC to RGB: luma and the two colour differences scaled from their 8-bit codes; levels above
// white are clipped.
class YccToRgb {
 public:
  YccToRgb() {
    for (int v = 0; v < 256; ++v) {
      luma_[v] = 1.3584 * v;
      const double c1 = 2.2179 * (v - 156);
      const double c2 = 1.8215 * (v - 137);
      blueC1_[v] = c1;
      greenC1_[v] = -0.194 * c1;
      redC2_[v] = c2;
      greenC2_[v] = -0.509 * c2;
    }
  }

  void Convert(uint8_t y, uint8_t c1, uint8_t c2, uint8_t* rgb) const {
    rgb[0] = Clip(luma_[y] + redC2_[c2]);
    rgb[1] = Clip(luma_[y] + greenC1_[c1] + greenC2_[c2]);
    rgb[2] = Clip(luma_[y] + blueC1_[c1]);
  }

 private:
  static uint8_t Clip(double v) { return uint8_t(std::clamp(std::floor(v + 0.5), 0.0, 255.0)); }

  double luma_[256], blueC1_[256], greenC1_[256], redC2_[256], greenC2_[256];
};

}  // namespace

bool IsPcd(const uint8_t* data, size_t size) {
  return size >= kSignatureAt + 7 && std::memcmp(data + kSignatureAt, "PCD_IPI", 7) == 0;
}

void DecodePcd(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  out = WorkingBitmap{};
  if (!IsPcd(input.data, input.size)) throw DecodeError("Photo-CD: no image pack signature");
  ByteReader reader(input.data, input.size);
  const int turns = reader.U8At(kOrientationAt) & 3;
  if (input.size < kBaseAt || input.size - kBaseAt < kBaseBytes) throw DecodeError("Photo-CD: no Base image");
  const bool upright = turns % 2 == 1;
  if (!AllocateBitmap(out, upright ? kHeight : kWidth, upright ? kWidth : kHeight))
    throw DecodeError("Photo-CD: out of memory");

  // Where stored pixel (x, y) goes: one turn is a quarter turn to the left, three to the right.
  auto place = [&](int32_t x, int32_t y) -> uint8_t* {
    switch (turns) {
      case 1:
        return out.Row(kWidth - 1 - x) + size_t(y) * 3;
      case 2:
        return out.Row(kHeight - 1 - y) + size_t(kWidth - 1 - x) * 3;
      case 3:
        return out.Row(x) + size_t(kHeight - 1 - y) * 3;
      default:
        return out.Row(y) + size_t(x) * 3;
    }
  };

  static const YccToRgb convert;
  reader.Seek(kBaseAt);
  RowProgressReporter reporter(progress, kHeight);
  for (int32_t y = 0; y < kHeight; y += 2) {
    const uint8_t* luma = reader.Take(size_t(kWidth) * 2);
    const uint8_t* c1 = reader.Take(kWidth / 2);
    const uint8_t* c2 = reader.Take(kWidth / 2);
    for (int32_t row = 0; row < 2; ++row)
      for (int32_t x = 0; x < kWidth; ++x)
        convert.Convert(luma[size_t(row) * kWidth + x], c1[x / 2], c2[x / 2], place(x, y + row));
    reporter.Row(y + 2);
  }
}

}  // namespace karovel::image
