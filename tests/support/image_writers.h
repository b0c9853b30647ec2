#pragma once
// Small encoders that tests use to make their own image fixtures.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct jpeg_compress_struct;

namespace karovel::testing {

// An RGB picture, 3 bytes a pixel, row-major.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;

  uint8_t* At(int x, int y) { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
  const uint8_t* At(int x, int y) const { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
};

// A deterministic picture with gradients and edges, good for checking copies pixel by pixel.
RgbImage PatternImage(int width, int height, uint32_t seed = 1);

// Appends v as 2 or 4 little-endian bytes (the test encoders' own headers).
void Put16(std::vector<uint8_t>& b, uint32_t v);
void Put32(std::vector<uint8_t>& b, uint32_t v);

// A 24-bit bottom-up BMP file of the picture.
std::vector<uint8_t> EncodeBmp24(const RgbImage& image);
// A baseline JPEG (libjpeg) of the picture.
std::vector<uint8_t> EncodeJpeg(const RgbImage& image, int quality = 90);
// A JPEG of raw samples (components a pixel, row-major) in the libjpeg colour space colorSpace
// (J_COLOR_SPACE); configure may change the compressor after its defaults and the quality are set.
std::vector<uint8_t> EncodeJpegSamples(const uint8_t* samples, int width, int height, int components,
                                       int colorSpace, int quality,
                                       const std::function<void(jpeg_compress_struct&)>& configure = {});
// An 8-bit RGB PNG (libpng) of the picture.
std::vector<uint8_t> EncodePng(const RgbImage& image);

// One frame of a GIF: palette indices, row-major, in natural row order (interlacing is the encoder's job).
struct GifFrame {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices;
  bool interlace = false;
  std::vector<uint8_t> localPalette;  // RGB triples; empty: the global one
  int transparentIndex = -1;          // -1: none
};

// A GIF89a (giflib) of the frames on a logical screen; globalPalette holds RGB triples (a power of two
// of them, 2 to 256; empty for none).
std::vector<uint8_t> EncodeGif(int screenWidth, int screenHeight, const std::vector<uint8_t>& globalPalette,
                               int backgroundIndex, const std::vector<GifFrame>& frames);

// Writes the picture as a 24-bit BMP file (the quickest fixture for tests that only need some image).
void WriteBmpFile(const std::string& path, int width, int height, uint32_t seed = 1);

}  // namespace karovel::testing
