// Draws a deterministic map-like test picture (land-use areas, contour lines, a coordinate grid,
// roads with casings, small text-like labels and a little scan noise) and writes it as a baseline
// quality-90 JPEG and as an 8-bit RGB PNG. Feature density does not depend on the size, so the cost of
// tiling it should grow with the pixel count alone.
//
//   karovel-make-test-map SIZE OUT_JPEG OUT_PNG
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// After <cstdio>: jpeglib.h needs FILE and size_t declared.
#include <jpeglib.h>
#include <png.h>

namespace {

uint32_t Hash(int32_t x, int32_t y, uint32_t seed) {
  uint64_t h = (uint64_t(uint32_t(x)) << 32) ^ uint32_t(y) ^ (uint64_t(seed) * 0x9E3779B97F4A7C15ull);
  h ^= h >> 30;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 27;
  h *= 0x94D049BB133111EBull;
  h ^= h >> 31;
  return uint32_t(h);
}

double Unit(uint32_t h) { return h / 4294967296.0; }

// Smooth value noise in [0, 1) with lattice spacing `cell` pixels.
double Noise(int32_t x, int32_t y, int32_t cell, uint32_t seed) {
  const int32_t ix = x / cell, iy = y / cell;
  double fx = double(x % cell) / cell, fy = double(y % cell) / cell;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  const double a = Unit(Hash(ix, iy, seed)), b = Unit(Hash(ix + 1, iy, seed));
  const double c = Unit(Hash(ix, iy + 1, seed)), d = Unit(Hash(ix + 1, iy + 1, seed));
  return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

struct Picture {
  int32_t size;
  std::vector<uint8_t> rgb;
  uint8_t* At(int32_t x, int32_t y) { return &rgb[(size_t(y) * size_t(size) + size_t(x)) * 3]; }
  void Set(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
    if (x < 0 || y < 0 || x >= size || y >= size) return;
    uint8_t* p = At(x, y);
    p[0] = r, p[1] = g, p[2] = b;
  }
};

void DrawBackground(Picture& pic) {
  static const uint8_t kLand[4][3] = {{170, 200, 235}, {245, 240, 215}, {190, 220, 170}, {235, 215, 210}};
  for (int32_t y = 0; y < pic.size; ++y) {
    for (int32_t x = 0; x < pic.size; ++x) {
      const double use = 0.7 * Noise(x, y, 512, 1) + 0.3 * Noise(x, y, 128, 2);
      const int kind = use < 0.30 ? 0 : use < 0.50 ? 1 : use < 0.68 ? 2 : 3;
      const uint32_t h = Hash(x, y, 3);
      const int grain = int(h & 7) - 3;  // scanner noise
      uint8_t* p = pic.At(x, y);
      for (int k = 0; k < 3; ++k) p[k] = uint8_t(std::clamp(kLand[kind][k] + grain, 0, 255));
      const double height = Noise(x, y, 384, 4) * 14.0;
      if (kind != 0 && height - std::floor(height) < 0.05) p[0] = 170, p[1] = 120, p[2] = 80;
      if (x % 1024 < 2 || y % 1024 < 2) p[0] = 60, p[1] = 80, p[2] = 160;
    }
  }
}

struct Point {
  double x, y;
};

void DrawSegment(Picture& pic, Point a, Point b, double width, const uint8_t fill[3],
                 const uint8_t casing[3]) {
  const double half = width / 2, outer = half + 1.5;
  const int32_t x0 = int32_t(std::floor(std::min(a.x, b.x) - outer));
  const int32_t x1 = int32_t(std::ceil(std::max(a.x, b.x) + outer));
  const int32_t y0 = int32_t(std::floor(std::min(a.y, b.y) - outer));
  const int32_t y1 = int32_t(std::ceil(std::max(a.y, b.y) + outer));
  const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  for (int32_t y = std::max(y0, 0); y <= std::min(y1, pic.size - 1); ++y) {
    for (int32_t x = std::max(x0, 0); x <= std::min(x1, pic.size - 1); ++x) {
      double t = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0;
      t = std::clamp(t, 0.0, 1.0);
      const double ex = a.x + t * dx - x, ey = a.y + t * dy - y;
      const double d = std::sqrt(ex * ex + ey * ey);
      if (d <= half)
        pic.Set(x, y, fill[0], fill[1], fill[2]);
      else if (d <= outer && casing)
        pic.Set(x, y, casing[0], casing[1], casing[2]);
    }
  }
}

// Road junctions on a jittered lattice; each joins its right and lower neighbour, some diagonally too.
void DrawRoads(Picture& pic) {
  constexpr int32_t kSpacing = 600;
  const int32_t n = pic.size / kSpacing + 2;
  auto node = [](int32_t i, int32_t j) {
    return Point{i * kSpacing + (Unit(Hash(i, j, 5)) - 0.5) * 400,
                 j * kSpacing + (Unit(Hash(i, j, 6)) - 0.5) * 400};
  };
  static const uint8_t kMinor[3] = {255, 255, 255}, kMajor[3] = {240, 160, 60}, kCasing[3] = {90, 90, 90};
  for (int pass = 0; pass < 2; ++pass) {
    for (int32_t j = -1; j < n; ++j) {
      for (int32_t i = -1; i < n; ++i) {
        const Point here = node(i, j);
        const Point ends[3] = {node(i + 1, j), node(i, j + 1), node(i + 1, j + 1)};
        for (int k = 0; k < 3; ++k) {
          const uint32_t h = Hash(i * 3 + k, j, 7);
          if (k == 2 && (h & 3) != 0) continue;  // a quarter of the diagonals
          const bool major = Unit(h) < 0.2;
          if (major != (pass == 1)) continue;
          DrawSegment(pic, here, ends[k], major ? 9 : 5, major ? kMajor : kMinor, kCasing);
        }
      }
    }
  }
}

// Rows of random 5 x 7 glyphs, one or two pixels to a dot.
void DrawLabels(Picture& pic) {
  constexpr int32_t kCell = 160;
  for (int32_t cy = 0; cy * kCell < pic.size; ++cy) {
    for (int32_t cx = 0; cx * kCell < pic.size; ++cx) {
      const uint32_t h = Hash(cx, cy, 8);
      if (Unit(h) > 0.4) continue;
      const int scale = (h >> 8) % 4 == 0 ? 2 : 1;
      const int glyphs = 3 + int((h >> 12) % 8);
      const int32_t x0 = cx * kCell + int32_t((h >> 16) % 80), y0 = cy * kCell + int32_t((h >> 24) % 120);
      const bool blue = (h >> 4) & 1;
      for (int g = 0; g < glyphs; ++g) {
        const uint64_t bits = (uint64_t(Hash(cx * 16 + g, cy, 9)) << 32) | Hash(cx * 16 + g, cy, 10);
        for (int row = 0; row < 7; ++row)
          for (int col = 0; col < 5; ++col) {
            if (!((bits >> (row * 5 + col)) & 1)) continue;
            for (int sy = 0; sy < scale; ++sy)
              for (int sx = 0; sx < scale; ++sx)
                pic.Set(x0 + (g * 6 + col) * scale + sx, y0 + row * scale + sy, blue ? 30 : 20,
                        blue ? 40 : 20, blue ? 140 : 20);
          }
      }
    }
  }
}

void WriteJpeg(const Picture& pic, const char* path) {
  FILE* f = std::fopen(path, "wb");
  if (!f) {
    std::perror(path);
    std::exit(1);
  }
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);  // errors end the program, which is all a generator needs
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = JDIMENSION(pic.size);
  cinfo.image_height = JDIMENSION(pic.size);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t rowBytes = size_t(pic.size) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&pic.rgb[cinfo.next_scanline * rowBytes]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  if (std::fclose(f) != 0) {
    std::perror(path);
    std::exit(1);
  }
}

void WritePng(const Picture& pic, const char* path) {
  FILE* f = std::fopen(path, "wb");
  if (!f) {
    std::perror(path);
    std::exit(1);
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    std::fprintf(stderr, "%s: PNG write failed\n", path);
    std::exit(1);
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(pic.size), png_uint_32(pic.size), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const size_t rowBytes = size_t(pic.size) * 3;
  for (int32_t y = 0; y < pic.size; ++y) png_write_row(png, &pic.rgb[size_t(y) * rowBytes]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(f) != 0) {
    std::perror(path);
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: karovel-make-test-map SIZE OUT_JPEG OUT_PNG\n");
    return 2;
  }
  const long size = std::strtol(argv[1], nullptr, 10);
  if (size < 16 || size > 65500) {
    std::fprintf(stderr, "karovel-make-test-map: SIZE must be 16 to 65500\n");
    return 2;
  }
  Picture pic{int32_t(size), std::vector<uint8_t>(size_t(size) * size_t(size) * 3)};
  DrawBackground(pic);
  DrawRoads(pic);
  DrawLabels(pic);
  WriteJpeg(pic, argv[2]);
  WritePng(pic, argv[3]);
  return 0;
}
