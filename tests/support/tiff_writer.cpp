#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/family_writers.h"
#include "tests/support/temp_dir.h"

namespace karovel::testing {

namespace {

// The bytes of one row: all samples interleaved, or one sample plane; samples packed from the top bit.
std::vector<uint8_t> PackRow(const TiffSpec& spec, const TiffSample& sample, int y, int plane) {
  int perPixel = plane < 0 ? spec.samples : 1;
  size_t bits = size_t(spec.width) * perPixel * spec.bits;
  std::vector<uint8_t> row((bits + 7) / 8);
  size_t at = 0;
  for (int x = 0; x < spec.width; ++x)
    for (int s = 0; s < perPixel; ++s) {
      uint32_t v = sample(x, y, plane < 0 ? s : plane);
      if (spec.bits == 16) {
        uint16_t w = uint16_t(v);
        std::memcpy(&row[at / 8], &w, 2);  // native order, as libtiff expects from its writer
      } else {
        for (int b = spec.bits - 1; b >= 0; --b, ++at)
          if ((v >> b) & 1) row[at / 8] |= uint8_t(0x80 >> (at % 8));
        continue;
      }
      at += 16;
    }
  return row;
}

void WriteDirectory(TIFF* tif, const TiffSpec& spec, const TiffSample& sample) {
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(spec.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(spec.height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, spec.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spec.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, spec.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, spec.planar);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, spec.compression);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, spec.orientation);
  if (spec.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  if (spec.alpha) {
    uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (spec.compression == COMPRESSION_JPEG) {
    TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 95);
    TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, 1, 1);  // no chroma blur across the test's blocks
  }
  if (spec.palette) {
    std::vector<uint16_t> r(size_t(1) << spec.bits), g(r.size()), b(r.size());
    for (size_t i = 0; i < r.size(); ++i) {
      r[i] = uint16_t(i * 255 / (r.size() - 1) * 257);
      g[i] = uint16_t((255 - i * 255 / (r.size() - 1)) * 257);
      b[i] = uint16_t((i * 37 % 256) * 257);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  }
  int planes = spec.planar == PLANARCONFIG_SEPARATE ? spec.samples : 1;
  bool flip = spec.orientation == ORIENTATION_BOTLEFT;
  auto fileRow = [&](int r, int plane) {
    return PackRow(spec, sample, flip ? spec.height - 1 - r : r, plane);
  };
  if (spec.tile) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, spec.tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, spec.tile);
    size_t pixelBytes = size_t(spec.bits / 8) * (planes == 1 ? spec.samples : 1);
    for (int plane = 0; plane < planes; ++plane)
      for (uint32_t ty = 0; ty < uint32_t(spec.height); ty += spec.tile)
        for (uint32_t tx = 0; tx < uint32_t(spec.width); tx += spec.tile) {
          std::vector<uint8_t> buffer(spec.tile * spec.tile * pixelBytes);
          for (uint32_t r = 0; r < spec.tile && ty + r < uint32_t(spec.height); ++r) {
            std::vector<uint8_t> row = fileRow(int(ty + r), planes == 1 ? -1 : plane);
            size_t n = std::min<size_t>(spec.tile, spec.width - tx) * pixelBytes;
            std::memcpy(&buffer[r * spec.tile * pixelBytes], &row[tx * pixelBytes], n);
          }
          ASSERT_GE(TIFFWriteTile(tif, buffer.data(), tx, ty, 0, uint16_t(plane)), 0);
        }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, spec.rowsPerStrip);
    for (int plane = 0; plane < planes; ++plane)
      for (int r = 0; r < spec.height; ++r) {
        std::vector<uint8_t> row = fileRow(r, planes == 1 ? -1 : plane);
        ASSERT_EQ(TIFFWriteScanline(tif, row.data(), uint32_t(r), uint16_t(plane)), 1);
      }
  }
}

}  // namespace

std::vector<uint8_t> WriteTiff(const TiffSpec& spec, const TiffSample& sample, int pages) {
  TempDir dir;
  std::string path = dir.File("written.tif");
  TIFF* tif = TIFFOpen(path.c_str(), spec.big ? "w8" : "w");
  EXPECT_NE(tif, nullptr);
  if (!tif) return {};
  for (int page = 0; page < pages; ++page) {
    TiffSpec pageSpec = spec;
    pageSpec.width += page * 3;  // later pages differ in size, so taking one of them shows
    WriteDirectory(tif, pageSpec, sample);
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  return ReadFile(path);
}
std::vector<uint8_t> BinaryEps(const std::vector<uint8_t>& tiff) {
  std::string postscript = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 37 21\nshowpage\n";
  std::vector<uint8_t> file(30 + postscript.size() + tiff.size(), 0);
  const uint8_t magic[4] = {0xC5, 0xD0, 0xD3, 0xC6};
  std::memcpy(file.data(), magic, 4);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(v >> (8 * i));
  };
  put32(4, 30);
  put32(8, uint32_t(postscript.size()));
  put32(20, uint32_t(30 + postscript.size()));
  put32(24, uint32_t(tiff.size()));
  file[28] = file[29] = 0xFF;  // no checksum
  std::memcpy(&file[30], postscript.data(), postscript.size());
  if (!tiff.empty()) std::memcpy(&file[30 + postscript.size()], tiff.data(), tiff.size());
  return file;
}

}  // namespace karovel::testing
