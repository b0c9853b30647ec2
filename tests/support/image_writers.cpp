#include "tests/support/image_writers.h"

#include <jpeglib.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "tests/support/temp_dir.h"

namespace karovel::testing {

RgbImage PatternImage(int width, int height, uint32_t seed) {
  RgbImage image{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.At(x, y);
      p[0] = static_cast<uint8_t>(x * 3 + seed * 17);
      p[1] = static_cast<uint8_t>(y * 5 + seed * 31);
      p[2] = static_cast<uint8_t>(((x / 16 + y / 16) % 2) ? 200 : 40 + seed);
    }
  return image;
}

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const RgbImage& image) {
  const uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) & ~3u;
  const uint32_t dataSize = rowBytes * uint32_t(image.height);
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, 54 + dataSize);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, uint32_t(image.width));
  Put32(b, uint32_t(image.height));
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);
  Put32(b, dataSize);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    size_t start = b.size();
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.At(x, y);
      b.push_back(p[2]);
      b.push_back(p[1]);
      b.push_back(p[0]);
    }
    while (b.size() - start < rowBytes) b.push_back(0);
  }
  return b;
}

std::vector<uint8_t> EncodeJpeg(const RgbImage& image, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(image.width);
  cinfo.image_height = JDIMENSION(image.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.At(0, int(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::vector<uint8_t> EncodePng(const RgbImage& image) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = png_uint_32(image.width);
  img.height = png_uint_32(image.height);
  img.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&img, nullptr, &size, 0, image.pixels.data(), 0, nullptr))
    throw std::runtime_error("png size");
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&img, out.data(), &size, 0, image.pixels.data(), 0, nullptr))
    throw std::runtime_error("png write");
  out.resize(size);
  return out;
}

void WriteBmpFile(const std::string& path, int width, int height, uint32_t seed) {
  WriteFile(path, EncodeBmp24(PatternImage(width, height, seed)));
}

}  // namespace karovel::testing
