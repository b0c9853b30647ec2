// GIF through giflib: the first frame only, drawn on a canvas of the logical screen size. The canvas
// around a smaller frame takes the screen's background colour; every pixel of the frame shows the
// colour stored for its index (a transparent index included, as alpha is ignored everywhere).
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "image/decoders.h"

namespace karovel::image {

namespace {

// LZW reaches at most a few thousand pixels a byte; beyond that the picture is damage and is refused
// before allocating. Small pictures always pass.
constexpr uint64_t kPixelsPerByte = 4096;
constexpr uint64_t kAlwaysAllowedPixels = uint64_t(1) << 20;

struct MemorySource {
  const uint8_t* data;
  size_t size;
  size_t position = 0;
};

int ReadFn(GifFileType* gif, GifByteType* out, int length) {
  MemorySource* s = static_cast<MemorySource*>(gif->UserData);
  size_t n = std::min(size_t(std::max(length, 0)), s->size - s->position);
  if (n > 0) std::memcpy(out, s->data + s->position, n);  // giflib may ask with no buffer
  s->position += n;
  return int(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

void Check(int result, const char* what) {
  if (result != GIF_OK) throw DecodeError(std::string("GIF: ") + what);
}

void SkipExtension(GifFileType* gif) {
  int code = 0;
  GifByteType* block = nullptr;
  Check(DGifGetExtension(gif, &code, &block), "damaged extension");
  while (block) Check(DGifGetExtensionNext(gif, &block), "damaged extension");
}

}  // namespace

void DecodeGif(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  MemorySource source{input.data, input.size};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, ReadFn, &error));
  if (!gif) throw DecodeError("GIF: not a GIF file");

  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    Check(DGifGetRecordType(gif.get(), &record), "damaged record");
    if (record == TERMINATE_RECORD_TYPE) throw DecodeError("GIF: no picture");
    if (record == EXTENSION_RECORD_TYPE) {
      SkipExtension(gif.get());
      continue;
    }
    if (record != IMAGE_DESC_RECORD_TYPE) throw DecodeError("GIF: damaged record");
    break;
  }
  Check(DGifGetImageDesc(gif.get()), "damaged frame header");

  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (!colours || !colours->Colors || colours->ColorCount <= 0) throw DecodeError("GIF: no colour table");
  if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0)
    throw DecodeError("GIF: empty frame");
  // A frame reaching past the logical screen widens the canvas rather than being cut.
  const int64_t width = std::max<int64_t>(gif->SWidth, int64_t(frame.Left) + frame.Width);
  const int64_t height = std::max<int64_t>(gif->SHeight, int64_t(frame.Top) + frame.Height);
  const uint64_t framePixels = uint64_t(frame.Width) * uint64_t(frame.Height);
  const uint64_t canvasPixels = uint64_t(width) * uint64_t(height);
  if (framePixels > kAlwaysAllowedPixels && framePixels / kPixelsPerByte > input.size)
    throw DecodeError("GIF: frame too large");
  if (canvasPixels > kAlwaysAllowedPixels && canvasPixels / kPixelsPerByte > input.size)
    throw DecodeError("GIF: screen too large");

  uint8_t palette[256][3] = {};  // indices beyond the table are black
  for (int i = 0; i < std::min(colours->ColorCount, 256); ++i) {
    palette[i][0] = colours->Colors[i].Red;
    palette[i][1] = colours->Colors[i].Green;
    palette[i][2] = colours->Colors[i].Blue;
  }
  if (!AllocateBitmap(out, width, height)) throw DecodeError("GIF: picture too large");

  if (framePixels != canvasPixels) {
    uint8_t background[3] = {0, 0, 0};
    if (gif->SColorMap && gif->SBackGroundColor >= 0 && gif->SBackGroundColor < gif->SColorMap->ColorCount) {
      const GifColorType& c = gif->SColorMap->Colors[gif->SBackGroundColor];
      background[0] = c.Red, background[1] = c.Green, background[2] = c.Blue;
    }
    for (int32_t y = 0; y < out.height; ++y) {
      uint8_t* row = out.Row(y);
      for (int32_t x = 0; x < out.width; ++x) std::memcpy(row + size_t(x) * 3, background, 3);
    }
  }

  // Interlaced frames store every eighth row from 0, every eighth from 4, every fourth from 2, then
  // every second from 1.
  std::vector<int> order;
  order.reserve(size_t(frame.Height));
  if (frame.Interlace) {
    const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = starts[pass]; y < frame.Height; y += steps[pass]) order.push_back(y);
  } else {
    for (int y = 0; y < frame.Height; ++y) order.push_back(y);
  }
  std::vector<GifPixelType> line(size_t(frame.Width));
  RowProgressReporter reporter(progress, frame.Height);
  for (size_t n = 0; n < order.size(); ++n) {
    Check(DGifGetLine(gif.get(), line.data(), frame.Width), "damaged pixel data");
    uint8_t* row = out.Row(frame.Top + order[n]) + size_t(frame.Left) * 3;
    for (int x = 0; x < frame.Width; ++x) std::memcpy(row + size_t(x) * 3, palette[line[size_t(x)]], 3);
    reporter.Row(int64_t(n) + 1);
  }
}

}  // namespace karovel::image
