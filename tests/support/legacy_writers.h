#pragma once
// Small encoders of our own for the older families that have no library: each writes a file of one
// variant and the picture it must decode to.
#include <cstdint>
#include <vector>

#include "tests/support/image_writers.h"

namespace karovel::testing {

// Autodesk Animator picture of 8-bit indices; the palette is stored as 6-bit levels, or as full 8-bit
// levels when eightBitLevels is set (some writers do that).
std::vector<uint8_t> EncodeCel(int width, int height, bool eightBitLevels, RgbImage* expected);

// Dr. Halo picture of the given indices (width * height, row-major), run-length encoded row by row.
std::vector<uint8_t> EncodeCut(int width, int height, const std::vector<uint8_t>& indices);
// Dr. Halo palette file of the RGB triples (each level at most maxLevel), in 512-byte blocks.
std::vector<uint8_t> EncodeHaloPalette(const std::vector<uint16_t>& rgb, uint16_t maxLevel);

// A 768 x 512 picture whose colour differences are constant over each 2 x 2 block, as Photo-CD stores
// chroma at half resolution; values stay well inside 0..255.
RgbImage PcdPicture(uint32_t seed = 1);
// Photo-CD image pack holding the Base image (the picture as stored, 768 x 512) in Photo YCC, with the
// given quarter turns recorded in its attributes.
std::vector<uint8_t> EncodePcd(const RgbImage& stored, int turns);

// Paintshop Pro file of one variant.
struct PspSpec {
  const char* name = "";
  uint16_t major = 6;        // 3 writes the oldest block layout
  uint16_t compression = 0;  // 0 raw, 1 run-length, 2 LZ77 (zlib)
  int depth = 24;            // 8 (palette) or 24
  bool composite = false;    // no layers: the picture is the full composite of the composite bank
  bool paddedRows = false;   // raw rows padded to four bytes
  bool greyscale = false;    // 8 bits without a palette block
  int width = 37;
  int height = 11;
  // A layer smaller than the canvas: its rectangle, and the saved part within it (0 sizes: all).
  int layerLeft = 0, layerTop = 0, layerWidth = 0, layerHeight = 0, savedLeft = 0, savedTop = 0;
  bool otherLayerFirst = false;  // a vector layer comes before the raster one
};
std::vector<uint8_t> EncodePsp(const PspSpec& spec, RgbImage* expected);

}  // namespace karovel::testing
