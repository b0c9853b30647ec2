#include "tests/support/image_writers.h"

#include <gif_lib.h>
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

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

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

std::vector<uint8_t> EncodeJpegSamples(const uint8_t* samples, int width, int height, int components,
                                       int colorSpace, int quality,
                                       const std::function<void(jpeg_compress_struct&)>& configure) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = components;
  cinfo.in_color_space = J_COLOR_SPACE(colorSpace);
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (configure) configure(cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row =
        const_cast<JSAMPROW>(samples + size_t(cinfo.next_scanline) * size_t(width) * size_t(components));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::vector<uint8_t> EncodeJpeg(const RgbImage& image, int quality) {
  return EncodeJpegSamples(image.pixels.data(), image.width, image.height, 3, JCS_RGB, quality);
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

namespace {

int GifWrite(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

ColorMapObject* GifColours(const std::vector<uint8_t>& rgb) {
  if (rgb.empty()) return nullptr;
  ColorMapObject* map = GifMakeMapObject(int(rgb.size() / 3), nullptr);
  if (!map) throw std::runtime_error("gif colour map");
  for (size_t i = 0; i < rgb.size() / 3; ++i)
    map->Colors[i] = GifColorType{rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]};
  return map;
}

}  // namespace

std::vector<uint8_t> EncodeGif(int screenWidth, int screenHeight, const std::vector<uint8_t>& globalPalette,
                               int backgroundIndex, const std::vector<GifFrame>& frames) {
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &error);
  if (!gif) throw std::runtime_error("gif open");
  auto check = [&](int result, const char* what) {
    if (result != GIF_OK) {
      EGifCloseFile(gif, &error);
      throw std::runtime_error(std::string("gif ") + what);
    }
  };
  EGifSetGifVersion(gif, true);
  ColorMapObject* global = GifColours(globalPalette);
  int bits = global ? global->BitsPerPixel : 8;
  check(EGifPutScreenDesc(gif, screenWidth, screenHeight, bits, backgroundIndex, global), "screen");
  GifFreeMapObject(global);
  for (const GifFrame& frame : frames) {
    GraphicsControlBlock control{};
    control.TransparentColor = frame.transparentIndex < 0 ? NO_TRANSPARENT_COLOR : frame.transparentIndex;
    control.DelayTime = 10;
    GifByteType extension[4];
    size_t length = EGifGCBToExtension(&control, extension);
    check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension), "control");
    ColorMapObject* local = GifColours(frame.localPalette);
    int result =
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlace, local);
    GifFreeMapObject(local);
    check(result, "frame");
    std::vector<int> order;
    if (frame.interlace) {
      const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < frame.height; y += steps[pass]) order.push_back(y);
    } else {
      for (int y = 0; y < frame.height; ++y) order.push_back(y);
    }
    for (int y : order) {
      std::vector<GifPixelType> line(frame.indices.begin() + long(y) * frame.width,
                                     frame.indices.begin() + long(y + 1) * frame.width);
      check(EGifPutLine(gif, line.data(), frame.width), "line");
    }
  }
  if (EGifCloseFile(gif, &error) != GIF_OK) throw std::runtime_error("gif close");
  return out;
}

void WriteBmpFile(const std::string& path, int width, int height, uint32_t seed) {
  WriteFile(path, EncodeBmp24(PatternImage(width, height, seed)));
}

}  // namespace karovel::testing
