#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/family_writers.h"

namespace karovel::testing {

namespace {

void Be16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v >> 8));
  b.push_back(uint8_t(v));
}
void Be32(std::vector<uint8_t>& b, uint32_t v) {
  Be16(b, v >> 16);
  Be16(b, v & 0xFFFF);
}

// PackBits: runs of three or more equal bytes repeat, the rest goes literally.
std::vector<uint8_t> PackBits(const std::vector<uint8_t>& row) {
  std::vector<uint8_t> out;
  size_t i = 0;
  while (i < row.size()) {
    size_t run = 1;
    while (i + run < row.size() && run < 128 && row[i + run] == row[i]) ++run;
    if (run >= 3) {
      out.push_back(uint8_t(257 - run));
      out.push_back(row[i]);
      i += run;
      continue;
    }
    size_t start = i, n = 0;
    while (i < row.size() && n < 128) {
      if (i + 2 < row.size() && row[i] == row[i + 1] && row[i] == row[i + 2]) break;
      ++i;
      ++n;
    }
    out.push_back(uint8_t(n - 1));
    out.insert(out.end(), row.begin() + std::ptrdiff_t(start), row.begin() + std::ptrdiff_t(i));
  }
  return out;
}

}  // namespace

std::vector<uint8_t> EncodePsd(const PsdPicture& p, uint16_t compression) {
  std::vector<uint8_t> f = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
  Be16(f, uint16_t(p.planes.size()));
  Be32(f, uint32_t(p.height));
  Be32(f, uint32_t(p.width));
  Be16(f, p.depth);
  Be16(f, p.mode);
  Be32(f, uint32_t(p.colourData.size()));
  f.insert(f.end(), p.colourData.begin(), p.colourData.end());
  const std::vector<uint8_t> resources = {'8', 'B', 'I', 'M', 0x03, 0xED, 0, 0, 0, 0, 0, 2, 1, 2};
  Be32(f, uint32_t(resources.size()));
  f.insert(f.end(), resources.begin(), resources.end());
  Be32(f, 8);  // a layer section the decoder must step over
  for (int i = 0; i < 8; ++i) f.push_back(uint8_t(0xA0 + i));
  Be16(f, compression);

  std::vector<std::vector<uint8_t>> rows;
  for (const std::vector<uint32_t>& plane : p.planes)
    for (int y = 0; y < p.height; ++y) {
      std::vector<uint8_t> row;
      if (p.depth == 1) {
        row.assign((size_t(p.width) + 7) / 8, 0);
        for (int x = 0; x < p.width; ++x)
          if (plane[size_t(y) * p.width + x]) row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
      } else {
        for (int x = 0; x < p.width; ++x) {
          uint32_t v = plane[size_t(y) * p.width + x];
          if (p.depth == 16) row.push_back(uint8_t(v >> 8));
          row.push_back(uint8_t(v));
        }
      }
      rows.push_back(compression ? PackBits(row) : row);
    }
  if (compression)
    for (const auto& row : rows) Be16(f, uint32_t(row.size()));
  for (const auto& row : rows) f.insert(f.end(), row.begin(), row.end());
  return f;
}

}  // namespace karovel::testing
