#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/family_writers.h"

namespace karovel::testing {

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

}  // namespace

std::vector<uint8_t> EncodePnm(const RgbImage& image, int kind, uint32_t maxval) {
  const bool colour = kind == 3 || kind == 6;
  std::string head = "P" + std::to_string(kind) + "\n# made by a test\n" + std::to_string(image.width) + " " +
                     std::to_string(image.height) + "\n#another\n" + std::to_string(maxval) + "\n";
  std::vector<uint8_t> out = Bytes(head);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      for (int c = 0; c < (colour ? 3 : 1); ++c) {
        uint32_t v = (uint32_t(image.At(x, y)[c]) * maxval + 127) / 255;
        if (kind <= 3) {
          std::string t = std::to_string(v) + ((x + c) % 7 == 6 ? "\n" : " ");
          out.insert(out.end(), t.begin(), t.end());
        } else if (maxval > 255) {
          out.push_back(uint8_t(v >> 8));
          out.push_back(uint8_t(v));
        } else {
          out.push_back(uint8_t(v));
        }
      }
  return out;
}

}  // namespace karovel::testing
