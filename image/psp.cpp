// Paintshop Pro images: a 32-byte signature and a version, then blocks ("~BK\0", an id, lengths). We
// read the general image attributes, the palette, and the first raster layer, or without one the full
// composite image; each colour channel is stored raw, run-length encoded or deflated, 8 or 24 bits.
// Version 3 files (the oldest block layout) carry a second length in every block header and fixed-size
// layer records; later versions start every chunk with its own length.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "base/byte_reader.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {

constexpr char kSignature[32] = "Paint Shop Pro Image File\n\x1a";
constexpr uint16_t kOldestMajor = 3;

enum BlockId : uint16_t {
  ImageAttributes = 0,
  ColorPalette = 2,
  LayerStart = 3,
  Layer = 4,
  Channel = 5,
  CompositeImage = 9,
  CompositeBank = 16,
  CompositeAttributes = 17,
};

enum Compression : uint16_t { None = 0, Rle = 1, Lz77 = 2 };

// The most a byte of stored data can expand to: deflate's limit, the largest of the three storages.
constexpr uint64_t kMaxExpansion = 1032;

struct Block {
  uint16_t id;
  uint32_t initialLength;  // version 3 only: the length of the first chunk
  ByteReader body;
};

struct Rect {
  int32_t left, top, right, bottom;
  int64_t Width() const { return int64_t(right) - left; }
  int64_t Height() const { return int64_t(bottom) - top; }
};

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t depth = 0;
  uint16_t compression = 0;
};

class PspReader {
 public:
  explicit PspReader(uint16_t major) : major_(major) {}

  bool Old() const { return major_ < 4; }

  Block ReadBlock(ByteReader& reader) const {
    if (reader.Text(4) != std::string("~BK\0", 4)) throw DecodeError("PSP: block header expected");
    Block block{reader.U16LE(), 0, ByteReader(nullptr, 0)};
    uint32_t total;
    if (Old()) {
      block.initialLength = reader.U32LE();
      total = reader.U32LE();
    } else {
      total = reader.U32LE();
    }
    block.body = reader.Sub(total);
    return block;
  }

  // A chunk that starts with its own length (which counts the length field): the reader moves past it.
  static ByteReader Chunk(ByteReader& reader) {
    const size_t start = reader.Position();
    const uint32_t length = reader.U32LE();
    if (length < 4) throw DecodeError("PSP: chunk too short");
    reader.Seek(start);
    ByteReader chunk = reader.Sub(length);
    chunk.Skip(4);
    return chunk;
  }

 private:
  uint16_t major_;
};

Picture ReadAttributes(const PspReader& psp, ByteReader body) {
  ByteReader attributes = psp.Old() ? body : PspReader::Chunk(body);
  Picture p;
  p.width = attributes.I32LE();
  p.height = attributes.I32LE();
  attributes.Skip(8 + 1);  // resolution and its unit
  p.compression = attributes.U16LE();
  p.depth = attributes.U16LE();
  return p;
}

// RGBQUAD entries, at most 256 used.
std::vector<uint8_t> ReadPalette(const PspReader& psp, ByteReader body) {
  uint32_t count;
  if (psp.Old()) {
    count = body.U32LE();
  } else {
    ByteReader info = PspReader::Chunk(body);
    count = info.U32LE();
  }
  std::vector<uint8_t> palette(256 * 3, 0);
  for (uint32_t i = 0; i < std::min<uint32_t>(count, 256); ++i) {
    const uint8_t* q = body.Take(4);
    palette[i * 3] = q[2];
    palette[i * 3 + 1] = q[1];
    palette[i * 3 + 2] = q[0];
  }
  return palette;
}

// One channel's samples, rows 'stride' bytes apart (writers pad uncompressed rows to four bytes).
struct ChannelData {
  std::vector<uint8_t> samples;
  size_t stride = 0;
};

void UnpackRle(ByteReader in, std::vector<uint8_t>& out) {
  size_t x = 0;
  while (x < out.size() && !in.AtEnd()) {
    uint8_t count = in.U8();
    if (count > 128) {
      size_t n = std::min<size_t>(count - 128u, out.size() - x);
      std::memset(&out[x], in.U8(), n);
      x += n;
    } else {
      size_t n = std::min<size_t>(count, in.Remaining());
      size_t keep = std::min(n, out.size() - x);
      std::memcpy(&out[x], in.Take(n), keep);
      x += keep;
    }
  }
}

void Inflate(ByteReader in, std::vector<uint8_t>& out) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw DecodeError("PSP: zlib");
  z.next_in = const_cast<Bytef*>(in.Take(in.Remaining()));
  z.avail_in = static_cast<uInt>(in.Size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int status = inflate(&z, Z_FINISH);
  inflateEnd(&z);
  // A stream that ends short leaves the rest black; a broken one fails.
  if (status != Z_STREAM_END && status != Z_OK && status != Z_BUF_ERROR)
    throw DecodeError("PSP: damaged LZ77 data");
}

ChannelData ReadChannelData(ByteReader data, uint32_t expanded, uint16_t compression, int64_t width,
                            int64_t height) {
  if (compression > Lz77) throw DecodeError("PSP: compression not read");
  ChannelData channel;
  const uint64_t packed = uint64_t(width) * uint64_t(height);
  const uint64_t padded = uint64_t((width + 3) & ~int64_t(3)) * uint64_t(height);
  if (expanded == packed)
    channel.stride = size_t(width);
  else if (expanded == padded)
    channel.stride = size_t((width + 3) & ~int64_t(3));
  else
    throw DecodeError("PSP: channel size does not match the layer");
  const uint64_t limit = compression == None ? 1 : compression == Rle ? 64 : kMaxExpansion;
  if (expanded > data.Size() * limit) throw DecodeError("PSP: channel data too short");
  if (compression == None) {
    const uint8_t* raw = data.Take(expanded);
    channel.samples.assign(raw, raw + expanded);
    return channel;
  }
  channel.samples.assign(expanded, 0);
  if (compression == Rle)
    UnpackRle(data, channel.samples);
  else
    Inflate(data, channel.samples);
  return channel;
}

// The image channels of a layer or composite: index 0 the palette indices, 1 to 3 red, green, blue.
struct Raster {
  int64_t width = 0;
  int64_t height = 0;
  std::optional<ChannelData> channels[4];
};

Raster ReadChannels(const PspReader& psp, ByteReader& body, uint16_t count, uint16_t compression,
                    int64_t width, int64_t height) {
  Raster raster{width, height, {}};
  for (uint16_t i = 0; i < count && !body.AtEnd(); ++i) {
    Block block = psp.ReadBlock(body);
    if (block.id != Channel) continue;
    ByteReader& b = block.body;
    uint32_t compressed, expanded;
    uint16_t bitmapType, channelType;
    if (psp.Old()) {
      compressed = b.U32LE(), expanded = b.U32LE(), bitmapType = b.U16LE(), channelType = b.U16LE();
      if (block.initialLength > b.Position()) b.Seek(block.initialLength);
    } else {
      ByteReader info = PspReader::Chunk(b);
      compressed = info.U32LE(), expanded = info.U32LE(), bitmapType = info.U16LE(),
      channelType = info.U16LE();
    }
    if (bitmapType != 0 || channelType > 3 || raster.channels[channelType]) continue;  // masks, thumbnails
    raster.channels[channelType] = ReadChannelData(b.Sub(compressed), expanded, compression, width, height);
  }
  return raster;
}

struct Placed {
  Rect place{};  // where the saved pixels go on the canvas
  Raster raster;
};

// The first raster layer with pixels, if any.
std::optional<Placed> FirstRasterLayer(const PspReader& psp, ByteReader body, const Picture& picture) {
  while (!body.AtEnd()) {
    Block block = psp.ReadBlock(body);
    if (block.id != Layer) continue;
    ByteReader& b = block.body;
    uint8_t type;
    Rect image{}, saved{};
    uint16_t channelCount;
    auto rect = [](ByteReader& r, Rect& out) {
      out.left = r.I32LE(), out.top = r.I32LE(), out.right = r.I32LE(), out.bottom = r.I32LE();
    };
    if (psp.Old()) {
      b.Skip(256);  // name
      type = b.U8();
      rect(b, image), rect(b, saved);
      b.Skip(5 + 32 + 3 + 2 + 40);  // opacity to link group, mask rectangles and flags, blend ranges
      b.Skip(2);                    // bitmap count
      channelCount = b.U16LE();
      if (block.initialLength > b.Position()) b.Seek(block.initialLength);
    } else {
      ByteReader info = PspReader::Chunk(b);
      info.Skip(info.U16LE());  // name
      type = info.U8();
      rect(info, image), rect(info, saved);
      ByteReader bitmaps = PspReader::Chunk(b);
      bitmaps.Skip(2);
      channelCount = bitmaps.U16LE();
    }
    const bool raster = psp.Old() ? type == 0 : type == 1;
    if (!raster || saved.Width() <= 0 || saved.Height() <= 0) continue;
    Placed layer;
    // The saved rectangle lies within the layer's own rectangle.
    layer.place =
        Rect{int32_t(image.left + int64_t(saved.left)), int32_t(image.top + int64_t(saved.top)), 0, 0};
    layer.raster = ReadChannels(psp, b, channelCount, picture.compression, saved.Width(), saved.Height());
    return layer;
  }
  return std::nullopt;
}

// The full-size composite of the composite bank (later versions only), with its own palette if any.
std::optional<Placed> Composite(const PspReader& psp, ByteReader body, Picture& picture,
                                std::vector<uint8_t>& palette) {
  PspReader::Chunk(body);  // bank information: the count of composites
  Picture chosen;
  bool full = false;  // the last attributes were those of a full-size composite
  while (!body.AtEnd()) {
    Block block = psp.ReadBlock(body);
    if (block.id == CompositeAttributes) {
      ByteReader info = PspReader::Chunk(block.body);
      Picture p;
      p.width = info.I32LE(), p.height = info.I32LE();
      p.depth = info.U16LE(), p.compression = info.U16LE();
      info.Skip(2 + 4);  // planes, colours
      const uint16_t type = info.U16LE();
      full = type == 0 && p.width == picture.width && p.height == picture.height;
      if (full) chosen = p;
    } else if (block.id == CompositeImage && full) {
      ByteReader& b = block.body;
      ByteReader info = PspReader::Chunk(b);
      info.Skip(2);
      const uint16_t channelCount = info.U16LE();
      // An 8-bit composite may carry its palette as the first sub-block.
      size_t at = b.Position();
      if (!b.AtEnd()) {
        Block first = psp.ReadBlock(b);
        if (first.id == ColorPalette)
          palette = ReadPalette(psp, first.body);
        else
          b.Seek(at);
      }
      picture.depth = chosen.depth;
      picture.compression = chosen.compression;
      Placed layer;
      layer.raster = ReadChannels(psp, b, channelCount, picture.compression, picture.width, picture.height);
      return layer;
    }
  }
  return std::nullopt;
}

}  // namespace

bool IsPsp(const uint8_t* data, size_t size) {
  return size >= sizeof kSignature + 4 && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

void DecodePsp(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  out = WorkingBitmap{};
  if (!IsPsp(input.data, input.size)) throw DecodeError("PSP: no signature");
  ByteReader reader(input.data, input.size);
  reader.Skip(sizeof kSignature);
  const uint16_t major = reader.U16LE();
  reader.Skip(2);  // minor version
  if (major < kOldestMajor) throw DecodeError("PSP: version too old");
  const PspReader psp(major);

  Block first = psp.ReadBlock(reader);
  if (first.id != ImageAttributes) throw DecodeError("PSP: general image attributes expected first");
  Picture picture = ReadAttributes(psp, first.body);
  if (picture.width <= 0 || picture.height <= 0) throw DecodeError("PSP: empty picture");

  std::vector<uint8_t> palette;
  std::optional<ByteReader> layers, composites;
  while (!reader.AtEnd()) {
    Block block = psp.ReadBlock(reader);
    if (block.id == ColorPalette && palette.empty()) palette = ReadPalette(psp, block.body);
    if (block.id == LayerStart && !layers) layers = block.body;
    if (block.id == CompositeBank && !composites && !psp.Old()) composites = block.body;
  }
  std::optional<Placed> layer;
  if (layers) layer = FirstRasterLayer(psp, *layers, picture);
  if (!layer && composites) layer = Composite(psp, *composites, picture, palette);
  if (!layer) throw DecodeError("PSP: neither a raster layer nor a composite image");

  const Raster& raster = layer->raster;
  const bool indexed = picture.depth == 8;
  if (picture.depth != 8 && picture.depth != 24) throw DecodeError("PSP: only 8 and 24 bits are read");
  if (indexed ? !raster.channels[0] : !(raster.channels[1] && raster.channels[2] && raster.channels[3]))
    throw DecodeError("PSP: colour channels missing");
  if (indexed && palette.empty()) {
    palette.resize(256 * 3);  // gray pictures may come without a palette
    for (int i = 0; i < 256; ++i) std::memset(&palette[size_t(i) * 3], i, 3);
  }
  // The canvas outside the layer is not stored; no data can describe more than it expands to.
  if (uint64_t(picture.width) * uint64_t(picture.height) > input.size * kMaxExpansion)
    throw DecodeError("PSP: canvas larger than the data");
  if (!AllocateBitmap(out, picture.width, picture.height)) throw DecodeError("PSP: image too large");

  RowProgressReporter reporter(progress, picture.height);
  for (int32_t y = 0; y < picture.height; ++y) {
    uint8_t* dst = out.Row(y);
    std::memset(dst, 0xFF, out.RowBytes());  // uncovered canvas is white
    const int64_t ly = int64_t(y) - layer->place.top;
    if (ly >= 0 && ly < raster.height) {
      const int64_t from = std::max<int64_t>(0, -int64_t(layer->place.left));
      const int64_t to = std::min<int64_t>(raster.width, int64_t(picture.width) - layer->place.left);
      for (int64_t lx = from; lx < to; ++lx) {
        uint8_t* p = dst + size_t(layer->place.left + lx) * 3;
        auto sample = [&](int c) {
          return raster.channels[c]->samples[size_t(ly) * raster.channels[c]->stride + size_t(lx)];
        };
        if (indexed) {
          std::memcpy(p, &palette[size_t(sample(0)) * 3], 3);
        } else {
          p[0] = sample(1), p[1] = sample(2), p[2] = sample(3);
        }
      }
    }
    reporter.Row(y + 1);
  }
}

}  // namespace karovel::image
