// SGI image files: big-endian, one plane per channel, rows bottom-up, stored verbatim or as one
// run-length record per row and channel found through offset and length tables.
#include <algorithm>
#include <vector>

#include "base/byte_reader.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {

constexpr size_t kHeaderSize = 512;
constexpr uint16_t kMagic = 474;

struct SgiHeader {
  uint8_t storage;  // 0 verbatim, 1 run-length
  uint8_t bytesPerChannel;
  uint16_t dimension;
  uint32_t width;
  uint32_t height;
  uint32_t channels;
  int32_t colorMap;
};

bool ReadHeader(const uint8_t* data, size_t size, SgiHeader& h) {
  if (size < kHeaderSize) return false;
  ByteReader reader(data, size);
  if (reader.U16BE() != kMagic) return false;
  h.storage = reader.U8();
  h.bytesPerChannel = reader.U8();
  h.dimension = reader.U16BE();
  h.width = reader.U16BE();
  h.height = reader.U16BE();
  h.channels = reader.U16BE();
  reader.Seek(104);
  h.colorMap = reader.I32BE();
  // One- and two-dimensional images leave the unused sizes at whatever the writer chose.
  if (h.dimension == 1) h.height = 1;
  if (h.dimension <= 2) h.channels = 1;
  return h.storage <= 1 && (h.bytesPerChannel == 1 || h.bytesPerChannel == 2) && h.dimension >= 1 &&
         h.dimension <= 3 && h.width > 0 && h.height > 0 && h.channels >= 1 && h.channels <= 4 &&
         h.colorMap == 0;
}

// Decodes one run-length record into samples (the high byte of 16-bit ones); short records leave the
// rest of the row black, runs are clipped to the row.
void DecodeRleRow(ByteReader record, size_t bytesPerChannel, uint8_t* samples, size_t width) {
  auto next = [&]() -> unsigned { return bytesPerChannel == 2 ? record.U16BE() : record.U8(); };
  size_t x = 0;
  while (x < width && record.Remaining() >= bytesPerChannel) {
    unsigned head = next();
    size_t count = head & 0x7F;
    if (count == 0) break;
    count = std::min(count, width - x);
    if (head & 0x80) {
      for (size_t i = 0; i < count; ++i) samples[x++] = uint8_t(bytesPerChannel == 2 ? next() >> 8 : next());
    } else {
      unsigned v = next();
      uint8_t s = uint8_t(bytesPerChannel == 2 ? v >> 8 : v);
      std::fill(samples + x, samples + x + count, s);
      x += count;
    }
  }
  std::fill(samples + x, samples + width, uint8_t(0));
}

}  // namespace

bool IsSgi(const uint8_t* data, size_t size) {
  SgiHeader h;
  return ReadHeader(data, size, h);
}

void DecodeSgi(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  out = WorkingBitmap{};
  SgiHeader h;
  if (!ReadHeader(input.data, input.size, h)) throw DecodeError("SGI: not a plausible header");
  ByteReader reader(input.data, input.size);
  const size_t bpc = h.bytesPerChannel;
  const uint64_t records = uint64_t(h.height) * h.channels;

  std::vector<uint32_t> starts, lengths;
  if (h.storage == 0) {
    if (uint64_t(h.width) * records * bpc > input.size - kHeaderSize) throw DecodeError("SGI: data too short");
  } else {
    if (records * 8 > input.size - kHeaderSize) throw DecodeError("SGI: tables too short");
    reader.Seek(kHeaderSize);
    starts.resize(size_t(records));
    lengths.resize(size_t(records));
    for (uint32_t& s : starts) s = reader.U32BE();
    for (uint32_t& l : lengths) l = reader.U32BE();
    // Each record must lie in the file and be long enough to describe its row (a count and a
    // sample per 127 samples); rows may share records, so that is all the data can promise.
    uint64_t minimum = ((h.width + 126) / 127) * 2 * bpc;
    for (size_t i = 0; i < starts.size(); ++i)
      if (starts[i] > input.size || lengths[i] > input.size - starts[i] || lengths[i] < minimum)
        throw DecodeError("SGI: row record outside the file");
  }
  if (!AllocateBitmap(out, h.width, h.height)) throw DecodeError("SGI: image too large");

  const uint32_t used = h.channels >= 3 ? 3 : 1;  // alpha is dropped
  std::vector<uint8_t> samples(size_t(h.width) * used);
  RowProgressReporter reporter(progress, h.height);
  for (uint32_t y = 0; y < h.height; ++y) {
    for (uint32_t c = 0; c < used; ++c) {
      uint8_t* plane = samples.data() + size_t(c) * h.width;
      size_t record = size_t(c) * h.height + y;
      if (h.storage == 0) {
        reader.Seek(kHeaderSize + record * h.width * bpc);
        const uint8_t* src = reader.Take(size_t(h.width) * bpc);
        for (uint32_t x = 0; x < h.width; ++x) plane[x] = src[x * bpc];  // high byte first
      } else {
        reader.Seek(starts[record]);
        DecodeRleRow(reader.Sub(lengths[record]), bpc, plane, h.width);
      }
    }
    uint8_t* dst = out.Row(int32_t(h.height - 1 - y));
    const uint8_t* r = samples.data();
    const uint8_t* g = used >= 3 ? r + h.width : r;
    const uint8_t* b = used >= 3 ? g + h.width : r;
    for (uint32_t x = 0; x < h.width; ++x) {
      dst[3 * x] = r[x];
      dst[3 * x + 1] = g[x];
      dst[3 * x + 2] = b[x];
    }
    reporter.Row(y + 1);
  }
}

}  // namespace karovel::image
