// Dr. Halo pictures: a 6-byte header (width, height, reserved) and per row a byte count followed by
// run-length data ending in a zero. The colours live in a palette file of the same name with the
// extension pal; without one (or with one we cannot read) the indices are shown as a gray ramp.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "base/byte_reader.h"
#include "base/file_io.h"
#include "image/decoders.h"

namespace karovel::image {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kPaletteHeaderSize = 40;
constexpr size_t kPaletteBlock = 512;

// The palette file beside the picture: same name, extension pal in either case.
std::optional<std::vector<uint8_t>> ReadPaletteFile(const std::string& path) {
  if (path.empty()) return std::nullopt;
  std::filesystem::path base(path);
  for (const char* extension : {".pal", ".PAL", ".Pal"}) {
    std::filesystem::path candidate = base;
    candidate.replace_extension(extension);
    std::error_code error;
    if (!std::filesystem::is_regular_file(candidate, error)) continue;
    try {
      return ReadWholeFile(candidate.string());
    } catch (const std::exception&) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

uint8_t Scale(uint16_t level, uint16_t maximum) {
  if (level >= maximum) return 255;
  return uint8_t((uint32_t(level) * 255 + maximum / 2) / maximum);
}

// A palette file: "AH", version, size, type 'P', subtype, board, mode, highest index, the largest red,
// green and blue levels and a 20-byte name, then 16-bit red, green, blue triples. The triples come in
// 512-byte blocks and never straddle one. Returns 256 RGB triples (unlisted ones black), or nothing
// when the file is not such a palette.
std::optional<std::vector<uint8_t>> ParsePalette(const std::vector<uint8_t>& file) {
  try {
    ByteReader reader(file.data(), file.size());
    if (reader.Text(2) != "AH") return std::nullopt;
    reader.Skip(4);  // version, file size
    if (reader.U8() != 'P') return std::nullopt;
    reader.Skip(1 + 2 + 2);  // subtype, board, graphics mode
    const uint16_t highest = reader.U16LE();
    const uint16_t maxima[3] = {reader.U16LE(), reader.U16LE(), reader.U16LE()};
    if (maxima[0] == 0 || maxima[1] == 0 || maxima[2] == 0) return std::nullopt;
    reader.Seek(kPaletteHeaderSize);
    std::vector<uint8_t> palette(256 * 3, 0);
    const size_t entries = std::min<size_t>(size_t(highest) + 1, 256);
    for (size_t i = 0; i < entries; ++i) {
      if (reader.Position() % kPaletteBlock > kPaletteBlock - 6)
        reader.Seek((reader.Position() / kPaletteBlock + 1) * kPaletteBlock);
      for (int c = 0; c < 3; ++c) palette[i * 3 + size_t(c)] = Scale(reader.U16LE(), maxima[c]);
    }
    return palette;
  } catch (const ReadError&) {
    return std::nullopt;
  }
}

// One row: a count byte with the high bit set repeats the next byte, a smaller non-zero count copies
// that many bytes, zero ends the row. Pixels beyond the width are dropped; a row that ends early
// leaves the rest at index 0.
void DecodeRow(ByteReader& reader, uint8_t* row, size_t width) {
  reader.Skip(2);  // the row's byte count; the zero at its end is what counts
  size_t x = 0;
  for (;;) {
    uint8_t count = reader.U8();
    if (count == 0) break;
    size_t n = count & 0x7F;
    if (count & 0x80) {
      uint8_t v = reader.U8();
      size_t keep = std::min(n, width - x);
      std::memset(row + x, v, keep);
      x += keep;
    } else {
      const uint8_t* src = reader.Take(n);
      size_t keep = std::min(n, width - x);
      std::memcpy(row + x, src, keep);
      x += keep;
    }
  }
  std::memset(row + x, 0, width - x);
}

}  // namespace

void DecodeCut(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  out = WorkingBitmap{};
  ByteReader reader(input.data, input.size);
  const uint16_t width = reader.U16LE();
  const uint16_t height = reader.U16LE();
  reader.Skip(2);
  if (width == 0 || height == 0) throw DecodeError("Dr. Halo: empty picture");
  // A full row needs its count, a run (two bytes) for every 127 pixels and the closing zero.
  const uint64_t rowMinimum = 2 + (uint64_t(width) + 126) / 127 * 2 + 1;
  if (rowMinimum * height > input.size - kHeaderSize) throw DecodeError("Dr. Halo: data too short");

  std::vector<uint8_t> indices(size_t(width) * height);
  RowProgressReporter reporter(progress, int64_t(height) * 2);
  for (size_t y = 0; y < height; ++y) {
    DecodeRow(reader, indices.data() + y * width, width);
    reporter.Row(int64_t(y) + 1);
  }

  std::vector<uint8_t> palette;
  if (auto file = ReadPaletteFile(input.path))
    if (auto parsed = ParsePalette(*file)) palette = std::move(*parsed);
  if (palette.empty()) {
    // Spread the indices the picture uses over the whole gray range, so that a 16-colour picture
    // is not shown nearly black.
    const unsigned highest = *std::max_element(indices.begin(), indices.end());
    palette.resize(256 * 3);
    for (unsigned i = 0; i < 256; ++i) {
      uint8_t v = highest == 0 ? 0 : uint8_t(std::min(i, highest) * 255 / highest);
      std::memset(&palette[i * 3], v, 3);
    }
  }

  if (!AllocateBitmap(out, width, height)) throw DecodeError("Dr. Halo: image too large");
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* src = indices.data() + size_t(y) * width;
    uint8_t* dst = out.Row(y);
    for (size_t x = 0; x < width; ++x) std::memcpy(dst + 3 * x, &palette[size_t(src[x]) * 3], 3);
    reporter.Row(int64_t(height) + y + 1);
  }
}

}  // namespace karovel::image
