#pragma once
// Encoders of our own (libtiff for TIFF) for families decoded by other tests too: each writes a file of
// one variant and, where it says so, the picture it must decode to.
#include <tiffio.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "tests/support/image_writers.h"

namespace karovel::testing {

// Truevision.
struct TgaSpec {
  const char* name;
  uint8_t imageType;       // 1, 2, 3, or +8 for run-length data
  uint8_t pixelBits;       // 8, 15, 16, 24, 32
  uint8_t mapBits = 0;     // colour map entry size; 0: no map
  uint8_t descriptor = 0;  // 0x20 top-down, 0x10 right-to-left
  bool packetsCrossRows = false;
  uint16_t mapFirst = 0;
  int width = 29;
  int height = 13;
};
std::vector<uint8_t> EncodeTga(const TgaSpec& spec, RgbImage* expected);

// TIFF through libtiff, and binary EPS around a TIFF preview.
using TiffSample = std::function<uint32_t(int x, int y, int s)>;

struct TiffSpec {
  const char* name;
  uint16_t photometric = PHOTOMETRIC_RGB;
  uint16_t bits = 8;
  uint16_t samples = 3;
  uint16_t compression = COMPRESSION_NONE;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint32_t rowsPerStrip = 5;
  uint32_t tile = 0;  // tile width and height; 0: strips
  uint16_t orientation = ORIENTATION_TOPLEFT;
  bool big = false;
  bool alpha = false;
  bool palette = false;
  int width = 37;
  int height = 21;
};
std::vector<uint8_t> WriteTiff(const TiffSpec& spec, const TiffSample& sample, int pages = 1);
// EPS: a binary header in front of PostScript text and a TIFF preview.
std::vector<uint8_t> BinaryEps(const std::vector<uint8_t>& tiff);

// ZSoft Paintbrush.
struct PcxSpec {
  const char* name;
  uint8_t bits;  // per plane
  uint8_t planes;
  uint8_t version = 5;
  bool vgaPalette = true;       // 8 bits, 1 plane: palette after the 0x0C marker
  bool runsCrossLines = false;  // one run-length stream for the whole picture
  int width = 27;               // odd, so lines carry a padding byte
  int height = 11;
};
std::vector<uint8_t> EncodePcx(const PcxSpec& spec, RgbImage* expected);

// Alias/Wavefront.
struct RlaSpec {
  const char* name;
  int16_t colorChannels = 3;
  int16_t matteChannels = 0;
  int16_t left = 0;  // active window inside a larger full window
  int16_t bottom = 0;
  bool shareRows = false;
  int width = 31;
  int height = 12;
};
std::vector<uint8_t> EncodeRla(const RlaSpec& spec, RgbImage* expected);

// SGI.
struct SgiSpec {
  const char* name;
  uint16_t channels;
  uint8_t bytesPerChannel = 1;
  bool rle = false;
  bool shareRows = false;  // identical rows point at one record, as some writers do
  int width = 23;
  int height = 9;
  uint16_t dimension = 3;
};
std::vector<uint8_t> EncodeSgi(const SgiSpec& spec, RgbImage* expected);

// Photoshop: the merged image of the given planes.
struct PsdPicture {
  uint16_t mode = 3;
  uint16_t depth = 8;
  int width = 0, height = 0;
  // Sample s of channel c at (x, y), in the file's depth (0/1 for bitmaps).
  std::vector<std::vector<uint32_t>> planes;
  std::vector<uint8_t> colourData;
};
std::vector<uint8_t> EncodePsd(const PsdPicture& p, uint16_t compression);

// Writes the picture as P3/P6 (colour) or P2/P5 (the red channel as gray), samples scaled to maxval.
std::vector<uint8_t> EncodePnm(const RgbImage& image, int kind, uint32_t maxval);

}  // namespace karovel::testing
