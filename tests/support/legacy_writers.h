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

}  // namespace karovel::testing
