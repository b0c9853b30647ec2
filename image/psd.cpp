// Photoshop: the merged composite image at the end of the file, raw or PackBits, 1, 8 or 16 bits.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/byte_reader.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {

enum Mode : uint16_t { Bitmap = 0, Gray = 1, Indexed = 2, Rgb = 3, Cmyk = 4, Duotone = 8 };

// PackBits into a row of known length: short rows stay zero-filled, long runs are cut at the row end.
void UnpackBits(ByteReader in, uint8_t* row, size_t rowBytes) {
  std::memset(row, 0, rowBytes);
  size_t x = 0;
  while (!in.AtEnd() && x < rowBytes) {
    int8_t n = static_cast<int8_t>(in.U8());
    if (n >= 0) {
      size_t count = std::min<size_t>(size_t(n) + 1, in.Remaining());
      size_t keep = std::min(count, rowBytes - x);
      std::memcpy(row + x, in.Take(count), keep);
      x += keep;
    } else if (n != -128) {
      if (in.AtEnd()) break;
      uint8_t v = in.U8();
      size_t count = std::min<size_t>(size_t(1 - n), rowBytes - x);
      std::memset(row + x, v, count);
      x += count;
    }
  }
}

}  // namespace

bool IsPsd(const uint8_t* data, size_t size) {
  return size >= 6 && std::memcmp(data, "8BPS", 4) == 0 && data[4] == 0 && data[5] == 1;
}

void DecodePsd(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  if (!IsPsd(input.data, input.size)) throw DecodeError("PSD: no signature");
  ByteReader r(input.data, input.size);
  r.Skip(6 + 6);  // signature, version, reserved
  const uint16_t channels = r.U16BE();
  const uint32_t height = r.U32BE();
  const uint32_t width = r.U32BE();
  const uint16_t depth = r.U16BE();
  const uint16_t mode = r.U16BE();
  if (channels < 1 || channels > 56 || width < 1 || height < 1 || width > 30000 || height > 30000)
    throw DecodeError("PSD: bad header");

  int needed;
  switch (mode) {
    case Bitmap:
      if (depth != 1) throw DecodeError("PSD: bitmap mode needs 1 bit");
      needed = 1;
      break;
    case Gray:
    case Duotone:  // the first channel is the gray image; the ink curves are not applied
    case Indexed:
      needed = 1;
      break;
    case Rgb:
      needed = 3;
      break;
    case Cmyk:
      needed = 4;
      break;
    default:
      throw DecodeError("PSD: colour mode not supported");
  }
  if (mode != Bitmap && depth != 8 && depth != 16) throw DecodeError("PSD: unsupported depth");
  if (mode == Indexed && depth != 8) throw DecodeError("PSD: indexed needs 8 bits");
  if (channels < needed) throw DecodeError("PSD: too few channels");

  ByteReader colourData = r.Sub(r.U32BE());
  uint8_t palette[256][3] = {};
  if (mode == Indexed) {
    if (colourData.Size() < 768) throw DecodeError("PSD: colour table missing");
    const uint8_t* t = colourData.Take(768);
    for (int i = 0; i < 256; ++i)
      for (int c = 0; c < 3; ++c) palette[i][c] = t[c * 256 + i];
  }
  r.Skip(r.U32BE());  // image resources
  r.Skip(r.U32BE());  // layers and masks

  const uint16_t compression = r.U16BE();
  if (compression > 1) throw DecodeError("PSD: compression not supported");
  const size_t rowBytes = depth == 1 ? (size_t(width) + 7) / 8 : size_t(width) * (depth / 8);
  const size_t rows = size_t(height) * needed;  // only the channels we show are read

  std::vector<size_t> rowStart, rowLength;
  if (compression == 0) {
    if (rowBytes * rows > r.Remaining()) throw DecodeError("PSD: image data too short");
  } else {
    const size_t tableRows = size_t(height) * channels;
    if (tableRows * 2 > r.Remaining()) throw DecodeError("PSD: row table too short");
    ByteReader table = r.Sub(tableRows * 2);
    rowStart.resize(rows);
    rowLength.resize(rows);
    size_t at = r.Position();
    for (size_t i = 0; i < rows; ++i) {
      rowStart[i] = at;
      rowLength[i] = table.U16BE();
      at += rowLength[i];
    }
    // A packed row of n bytes takes at least 2 bytes per 128; more rows than the data can hold are refused.
    const size_t leastPerRow = 2 * ((rowBytes + 127) / 128);
    if (at > r.Size() || rows * leastPerRow > r.Remaining()) throw DecodeError("PSD: image data too short");
  }

  if (!AllocateBitmap(out, width, height)) throw DecodeError("PSD: picture too large");
  std::vector<uint8_t> packed(rowBytes);
  std::vector<uint8_t> line(width);
  RowProgressReporter report(progress, int64_t(rows));
  for (int c = 0; c < needed; ++c) {
    for (uint32_t y = 0; y < height; ++y) {
      const size_t index = size_t(c) * height + y;
      if (compression == 0) {
        std::memcpy(packed.data(), r.Take(rowBytes), rowBytes);
      } else {
        ByteReader rowData(input.data + rowStart[index], rowLength[index]);
        UnpackBits(rowData, packed.data(), rowBytes);
      }
      // To one byte a sample; 16-bit samples scaled with rounding.
      for (uint32_t x = 0; x < width; ++x) {
        if (depth == 1) {
          line[x] = ((packed[x / 8] >> (7 - x % 8)) & 1) ? 0 : 255;  // 1 is black
        } else if (depth == 16) {
          uint32_t v = (uint32_t(packed[x * 2]) << 8) | packed[x * 2 + 1];
          line[x] = static_cast<uint8_t>((v * 255 + 32767) / 65535);
        } else {
          line[x] = packed[x];
        }
      }
      uint8_t* dst = out.Row(static_cast<int32_t>(y));
      for (uint32_t x = 0; x < width; ++x, dst += 3) {
        const uint8_t v = line[x];
        if (mode == Indexed) {
          std::memcpy(dst, palette[v], 3);
        } else if (needed == 1) {
          dst[0] = dst[1] = dst[2] = v;
        } else if (c < 3) {
          dst[c] = v;
        } else {
          // CMYK is stored inverted (0 is full ink): each colour is its stored value times K's.
          for (int k = 0; k < 3; ++k) dst[k] = static_cast<uint8_t>((dst[k] * v + 127) / 255);
        }
      }
      report.Row(int64_t(index) + 1);
    }
  }
}

}  // namespace karovel::image
