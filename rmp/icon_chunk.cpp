#include "rmp/icon_chunk.h"

#include <cstring>
#include <string>

namespace karovel::rmp {

namespace {

struct RecordLayout {
  uint32_t id;
  int16_t x, y;
  uint16_t width, height;
  uint8_t bitsPerPixel;
  const char* image;  // rows in hex, separated by spaces; nullptr: filled otherwise
  const char* mask;
};

// 0x100 holds the text area in its image plane and the first four mask rows; its mask is given from
// row 4 on.
const char* const Mask100 =
    "0000003F 0000003F 000000FF 000000FF 000000FF C00003FF FFFFCFFF FFFFFFFF "
    "FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF";

const RecordLayout Records[] = {
    {0x100, -3, 2, 16, 16, 2, nullptr, nullptr},
    {0x101, -3, 2, 16, 16, 2,
     "00000000 00003000 00FFF000 0FFFF000 3FFFCC00 3FFFCC00 0FFFF000 00FFF000 "
     "00003000 00000000 00000000 00000000 00000000 00000000 00000000 00000000",
     "FF0003FF F00000FF C00000FF 000000FF 0000003F 0000003F 000000FF C00000FF "
     "F00000FF FF0003FF FFFFCFFF FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF"},
    {0x102, -3, -3, 16, 16, 2,
     "00000000 3FFF0000 3FFF0000 3FFF0000 3FFF0000 3FFF0000 3FFF0000 3FFF0000 "
     "00000000 00000000 00000000 00000000 00000000 00000000 00000000 00000000",
     "00003FFF 00000FFF 00000FFF 00000FFF 00000FFF 00000FFF 00000FFF 00000FFF "
     "00003FFF C000FFFF FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF"},
    {0x103, -2, -3, 16, 16, 2,
     "00000000 003C0000 00CC0000 030C0000 0C0C0000 300C0000 0C0C0000 030C0000 "
     "00CC0000 003C0000 00000000 00000000 00000000 00000000 00000000 00000000",
     "FF00FFFF FC003FFF F0003FFF C0003FFF 00003FFF 00003FFF 00003FFF C0003FFF "
     "F0003FFF FC003FFF FF00FFFF FFC3FFFF FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF"},
    {0x104, -6, -6, 16, 16, 2,
     "00000000 3C000000 3FC00000 0CF00000 0F0C0000 0303C000 00C03000 00300F00 "
     "003000C0 000C0030 00030030 00030030 0000C0C0 00003F00 00000000 00000000",
     "003FFFFF 000FFFFF 0003FFFF 00003FFF 00000FFF C00000FF F000003F FC00000F "
     "FC000003 FF000000 FFC00000 FFC00000 FFF00003 FFFC000F FFFF003F FFFFC0FF"},
    {0x105, -6, -6, 16, 16, 2,
     "00000000 3C000000 3FC00000 0FF00000 0FFC0000 03FFC000 00FFF000 003FFF00 "
     "003FFFC0 000FFFF0 0003FFF0 0003FFF0 0000FFC0 00003F00 00000000 00000000",
     "003FFFFF 000FFFFF 0003FFFF 00003FFF 00000FFF C00000FF F000003F FC00000F "
     "FC000003 FF000000 FFC00000 FFC00000 FFF00003 FFFC000F FFFF003F FFFFC0FF"},
    {0x106, 6, -6, 16, 16, 2,
     "00000000 3FFC0000 0003C000 3FF03C00 000F0300 3FC0F300 003C30C0 3F030CC0 "
     "00F0CC30 3F0CC330 00CC3330 00333330 00333330 00333330 00000000 00000000",
     "00003FFF 000003FF 000000FF 0000003F 0000000F 0000000F 00000003 00000003 "
     "00000000 00000000 00000000 C0000000 FC000000 FC000000 FF000003 FFCCCCCF"},
    {0x107, -4, -4, 24, 24, 2,
     "000000000000 0000C0000000 0000C0000000 0300C0300000 00C0C0C00000 0033F3000000 "
     "000C0C000000 003003000000 3FF003FF0000 003003000000 000C0C000000 0033F3000000 "
     "00C0C0C00000 0300C0300000 0000C0000000 0000C0000000 000000000000 000000000000 "
     "000000000000 000000000000 000000000000 000000000000 000000000000 000000000000",
     "FFFC0FFFFFFF FCF003CFFFFF F0300303FFFF C0000000FFFF F0000003FFFF FC00000FFFFF "
     "C0000000FFFF 000000003FFF 0000C0000FFF 000000003FFF C0000000FFFF FC00000FFFFF "
     "F0000003FFFF C0000000FFFF F0300303FFFF FCF003CFFFFF FFFC0FFFFFFF FFFF3FFFFFFF "
     "FFFFFFFFFFFF FFFFFFFFFFFF FFFFFFFFFFFF FFFFFFFFFFFF FFFFFFFFFFFF FFFFFFFFFFFF"},
    {0x7FFFFFF0, 0, 0, 1, 64, 8, nullptr, nullptr},
    {0x7FFFFFF1, 0, 0, 1, 24, 8, nullptr, nullptr},
};

const char* const Header = "Icon file version 1.0.0";
const char* const ProgramName = "Karovel";
const char* const Credit = "Raster maps from pictures";

class ChunkWriter {
 public:
  explicit ChunkWriter(std::array<uint8_t, IconChunkSize>& bytes) : bytes_(bytes) {}
  void U8(size_t at, uint8_t v) { bytes_[at] = v; }
  void U16(size_t at, uint16_t v) {
    bytes_[at] = uint8_t(v);
    bytes_[at + 1] = uint8_t(v >> 8);
  }
  void U32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + size_t(i)] = uint8_t(v >> (8 * i));
  }
  void Text(size_t at, const std::string& s) { std::memcpy(&bytes_[at], s.data(), s.size()); }
  void Fill(size_t at, size_t n, uint8_t v) { std::memset(&bytes_[at], v, n); }
  // Hex digit pairs, spaces skipped. Returns the number of bytes written.
  size_t Hex(size_t at, const char* hex) {
    size_t n = 0;
    auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
    for (const char* p = hex; *p; ++p) {
      if (*p == ' ') continue;
      bytes_[at + n++] = uint8_t(digit(p[0]) << 4 | digit(p[1]));
      ++p;
    }
    return n;
  }

 private:
  std::array<uint8_t, IconChunkSize>& bytes_;
};

// Name and credit fields: 6 spaces, the text, spaces up to the field's width.
std::string SpaceField(const std::string& text, size_t width) {
  std::string field = "      " + text;
  field.resize(width, ' ');
  return field;
}

std::array<uint8_t, IconChunkSize> MakeIconChunk() {
  std::array<uint8_t, IconChunkSize> bytes{};
  ChunkWriter w(bytes);
  w.Text(0, Header);
  const size_t count = sizeof Records / sizeof Records[0];
  w.U32(32, uint32_t(count));
  size_t position = 116;
  for (size_t r = 0; r < count; ++r) {
    const RecordLayout& rec = Records[r];
    const size_t rowBytes = size_t(rec.width) * rec.bitsPerPixel / 8;
    const size_t plane = rowBytes * rec.height;
    const size_t image = position + 28, mask = image + plane;
    w.U32(36 + 8 * r, rec.id);
    w.U32(40 + 8 * r, uint32_t(position));
    w.U32(position, rec.id);
    w.U16(position + 4, uint16_t(rec.x));
    w.U16(position + 6, uint16_t(rec.y));
    w.U32(position + 8, uint32_t(image));
    w.U32(position + 12, uint32_t(mask));
    w.U32(position + 16, 0xFFFFFFFFu);
    w.U16(position + 20, rec.width);
    w.U16(position + 22, rec.height);
    w.U8(position + 24, 4);
    w.U8(position + 25, rec.bitsPerPixel);
    if (rec.image) {
      w.Hex(image, rec.image);
      w.Hex(mask, rec.mask);
    } else if (rec.bitsPerPixel == 8) {
      // Data records: the image plane stays zero; the mask is 0x00 at every seventh byte.
      for (size_t i = 0; i < plane; ++i) w.U8(mask + i, i % 7 == 0 ? 0x00 : 0xFF);
    } else {
      // The text area: the whole image plane and the first four mask rows.
      w.Fill(image, 10, 0xFF);
      w.Text(image + 10, SpaceField(ProgramName, 27));
      w.Fill(image + 37, 5, 0xFF);
      w.Text(image + 42, SpaceField(Credit, 37));
      w.U8(image + 79, 0xFF);
      w.Hex(mask + 16, Mask100);
    }
    position = mask + plane;
  }
  return bytes;
}

}  // namespace

const std::array<uint8_t, IconChunkSize>& IconChunk() {
  static const std::array<uint8_t, IconChunkSize> chunk = MakeIconChunk();
  return chunk;
}

}  // namespace karovel::rmp
