// Alias/Wavefront RLA: a 740-byte big-endian header, a table of scanline offsets (bottom row first) and
// per scanline one run-length record for each channel. We read the colour channels of 8-bit files.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/byte_reader.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {

constexpr size_t kHeaderSize = 740;

struct RlaHeader {
  int32_t width;
  int32_t height;
  int16_t storageType;
  int16_t colorChannels;
  int16_t matteChannels;
  int16_t auxChannels;
  int16_t channelBits;
  bool windowsNested;  // the active window lies inside the full window, as writers make it
};

bool ReadHeader(const uint8_t* data, size_t size, RlaHeader& h) {
  if (size < kHeaderSize) return false;
  ByteReader reader(data, size);
  int16_t window[4], active[4];
  for (int16_t& v : window) v = reader.I16BE();
  for (int16_t& v : active) v = reader.I16BE();
  reader.Skip(2);  // frame number
  h.storageType = reader.I16BE();
  h.colorChannels = reader.I16BE();
  h.matteChannels = reader.I16BE();
  h.auxChannels = reader.I16BE();
  reader.Seek(658);
  h.channelBits = reader.I16BE();
  // The data covers the active window, which lies inside the full window.
  h.width = int32_t(active[1]) - active[0] + 1;
  h.height = int32_t(active[3]) - active[2] + 1;
  h.windowsNested = window[1] >= window[0] && window[3] >= window[2] && active[0] >= window[0] &&
                    active[1] <= window[1] && active[2] >= window[2] && active[3] <= window[3];
  return h.width > 0 && h.height > 0 && h.storageType >= 0 && h.storageType <= 3 &&
         (h.colorChannels == 1 || h.colorChannels == 3) && h.matteChannels >= 0 && h.matteChannels <= 4 &&
         h.auxChannels >= 0 && h.auxChannels <= 8 && h.channelBits >= 0 && h.channelBits <= 32 &&
         kHeaderSize + uint64_t(h.height) * 4 <= size;
}

// One channel of one scanline: count bytes of 0x80 and above start a literal run of 256 - count bytes,
// smaller ones repeat the next byte count + 1 times. Runs are clipped to the row; a short record leaves
// the rest of the row black.
void DecodeChannel(ByteReader record, uint8_t* out, size_t width) {
  size_t x = 0;
  while (x < width && !record.AtEnd()) {
    uint8_t count = record.U8();
    if (count >= 0x80) {
      size_t n = std::min<size_t>(256 - count, width - x);
      n = std::min(n, record.Remaining());
      std::memcpy(out + x, record.Take(n), n);
      x += n;
    } else {
      size_t n = std::min<size_t>(count + 1u, width - x);
      std::memset(out + x, record.U8(), n);
      x += n;
    }
  }
  std::memset(out + x, 0, width - x);
}

}  // namespace

bool IsRla(const uint8_t* data, size_t size) {
  RlaHeader h;
  // No signature: only headers whose every field makes sense claim the file.
  return ReadHeader(data, size, h) && h.windowsNested;
}

void DecodeRla(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  out = WorkingBitmap{};
  RlaHeader h;
  if (!ReadHeader(input.data, input.size, h)) throw DecodeError("RLA: not a plausible header");
  if (h.storageType != 0 || (h.channelBits != 0 && h.channelBits != 8))
    throw DecodeError("RLA: only 8-bit channels are read");

  ByteReader reader(input.data, input.size);
  reader.Seek(kHeaderSize);
  std::vector<uint32_t> offsets(size_t(h.height));
  // Each scanline must at least hold the length and a run per 128 pixels of every colour channel.
  const uint64_t minimum = uint64_t(h.colorChannels) * (2 + (uint64_t(h.width) + 127) / 128 * 2);
  for (uint32_t& offset : offsets) {
    offset = reader.U32BE();
    if (offset > input.size || input.size - offset < minimum) throw DecodeError("RLA: scanline outside the file");
  }
  if (!AllocateBitmap(out, h.width, h.height)) throw DecodeError("RLA: image too large");

  std::vector<uint8_t> channels(size_t(h.width) * size_t(h.colorChannels));
  RowProgressReporter reporter(progress, h.height);
  for (int32_t y = 0; y < h.height; ++y) {
    reader.Seek(offsets[size_t(y)]);
    for (int c = 0; c < h.colorChannels; ++c) {
      uint16_t length = reader.U16BE();
      DecodeChannel(reader.Sub(length), channels.data() + size_t(c) * h.width, size_t(h.width));
    }
    const uint8_t* r = channels.data();
    const uint8_t* g = h.colorChannels == 3 ? r + h.width : r;
    const uint8_t* b = h.colorChannels == 3 ? g + h.width : r;
    uint8_t* dst = out.Row(h.height - 1 - y);
    for (int32_t x = 0; x < h.width; ++x) {
      dst[3 * x] = r[x];
      dst[3 * x + 1] = g[x];
      dst[3 * x + 2] = b[x];
    }
    reporter.Row(y + 1);
  }
}

}  // namespace karovel::image
