// TIFF through libtiff, read from the file's bytes in memory. libtiff's RGBA interface covers every
// photometric, bit depth, planar layout and codec it knows; we fetch it a band of rows at a time so the
// only full-size buffer is the working bitmap.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "image/decoders.h"

namespace karovel::image {

namespace {

struct MemoryFile {
  const uint8_t* data;
  uint64_t size;
  uint64_t pos;
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t n) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (n <= 0 || file->pos >= file->size) return 0;
  uint64_t count = std::min<uint64_t>(uint64_t(n), file->size - file->pos);
  std::memcpy(buffer, file->data + file->pos, size_t(count));
  file->pos += count;
  return tmsize_t(count);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return 0; }

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(handle);
  uint64_t target;
  if (whence == SEEK_SET) {
    target = offset;
  } else if (whence == SEEK_CUR || whence == SEEK_END) {
    // Relative offsets are signed, passed in an unsigned type.
    uint64_t base = whence == SEEK_CUR ? file->pos : file->size;
    int64_t delta = int64_t(offset);
    if (delta < 0 && uint64_t(0) - uint64_t(delta) > base) return toff_t(-1);
    target = base + uint64_t(delta);
  } else {
    return toff_t(-1);
  }
  // Past the end is allowed (reads there return nothing), absurd positions are not.
  if (target > file->size + (uint64_t(1) << 32)) return toff_t(-1);
  file->pos = target;
  return file->pos;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return static_cast<MemoryFile*>(handle)->size; }
// Mapping hands libtiff the buffer itself (it checks every offset against the size); its unmapped
// path misreads uncompressed tiles.
int MapProc(thandle_t handle, void** base, toff_t* size) {
  auto* file = static_cast<MemoryFile*>(handle);
  *base = const_cast<uint8_t*>(file->data);  // opened read-only: libtiff never writes here
  *size = file->size;
  return 1;
}
void UnmapProc(thandle_t, void*, toff_t) {}

// Keeps libtiff quiet and remembers the first complaint for the exception text.
int ErrorHandler(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  auto* first = static_cast<std::string*>(user);
  if (first && first->empty()) {
    char text[512];
    std::vsnprintf(text, sizeof text, fmt, ap);
    *first = std::string(module ? module : "TIFF") + ": " + text;
  }
  return 1;
}
int WarningHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
struct OptionsFreer {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

class RgbaImage {
 public:
  RgbaImage() { std::memset(&image_, 0, sizeof image_); }
  ~RgbaImage() {
    if (begun_) TIFFRGBAImageEnd(&image_);
  }
  RgbaImage(const RgbaImage&) = delete;
  RgbaImage& operator=(const RgbaImage&) = delete;
  bool Begin(TIFF* tif, char* message) {
    begun_ = TIFFRGBAImageBegin(&image_, tif, 1, message) != 0;
    return begun_;
  }
  TIFFRGBAImage* operator->() { return &image_; }
  TIFFRGBAImage* get() { return &image_; }

 private:
  TIFFRGBAImage image_;
  bool begun_ = false;
};

// How many decoded bytes one stored byte can expand to at most, per codec: a file whose data could
// not back its claimed size is refused before anything is allocated.
uint64_t MaxExpansion(uint16_t compression) {
  switch (compression) {
    case COMPRESSION_NONE:
      return 1;
    case COMPRESSION_PACKBITS:
      return 64;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
      return 65536;  // a blank fax row costs a bit or two whatever its width
    default:
      return 4096;  // LZW and deflate stay well below this
  }
}

// The stored bytes the strips or tiles really have inside the file.
uint64_t StoredBytes(TIFF* tif, uint64_t fileSize) {
  uint64_t total = 0;
  uint32_t count = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t offset = TIFFGetStrileOffset(tif, i);
    uint64_t bytes = TIFFGetStrileByteCount(tif, i);
    if (offset < fileSize) total += std::min(bytes, fileSize - offset);
  }
  // Strips may all point at the same bytes: together they never hold more than the file.
  return std::min(total, fileSize);
}

[[noreturn]] void Fail(const std::string& first, const char* what) {
  throw DecodeError(first.empty() ? std::string("TIFF: ") + what : first);
}

}  // namespace

bool IsTiff(const uint8_t* data, size_t size) {
  if (size < 4) return false;
  // Classic TIFF (42) and BigTIFF (43), either byte order.
  return (data[0] == 'I' && data[1] == 'I' && (data[2] == 42 || data[2] == 43) && data[3] == 0) ||
         (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43));
}

void DecodeTiff(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  out = WorkingBitmap{};
  std::string firstError;
  std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
  if (!options) throw std::bad_alloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), ErrorHandler, &firstError);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), WarningHandler, nullptr);

  MemoryFile file{input.data, input.size, 0};
  std::unique_ptr<TIFF, TiffCloser> tif(TIFFClientOpenExt("image", "r", &file, ReadProc, WriteProc, SeekProc,
                                                          CloseProc, SizeProc, MapProc, UnmapProc,
                                                          options.get()));
  if (!tif) Fail(firstError, "not a readable file");

  uint32_t width = 0, height = 0;
  uint16_t bitsPerSample = 1, samplesPerPixel = 1, compression = COMPRESSION_NONE;
  if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) ||
      !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height))
    Fail(firstError, "no image size");
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &compression);
  if (width == 0 || height == 0) Fail(firstError, "empty image");

  uint64_t rowBits = uint64_t(width) * bitsPerSample * samplesPerPixel;
  uint64_t rawBytes = (rowBits + 7) / 8 * height;
  uint64_t stored = StoredBytes(tif.get(), input.size);
  uint64_t expansion = MaxExpansion(compression);
  if (stored == 0 || (rawBytes + expansion - 1) / expansion > stored)
    Fail(std::string(), "image data shorter than its size");

  char message[1024] = "";
  if (!TIFFRGBAImageOK(tif.get(), message)) Fail(firstError, message);
  RgbaImage rgba;
  if (!rgba.Begin(tif.get(), message)) Fail(firstError, message);
  rgba->req_orientation = ORIENTATION_TOPLEFT;
  // Orientations libtiff turns upside down for a top-left request: a band of file rows then arrives
  // as the mirrored band of picture rows.
  uint16_t orientation = rgba->orientation;
  bool flipped = orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT ||
                 orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;

  if (!AllocateBitmap(out, width, height)) Fail(std::string(), "image too large");

  // A band is a whole strip or row of tiles, so libtiff decodes each of them once; very wide bands
  // are split to keep the RGBA buffer modest.
  uint32_t band = 1;
  if (TIFFIsTiled(tif.get()))
    TIFFGetField(tif.get(), TIFFTAG_TILELENGTH, &band);
  else
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ROWSPERSTRIP, &band);
  const uint64_t maxBandPixels = uint64_t(16) << 20;
  uint64_t limit = std::max<uint64_t>(1, maxBandPixels / width);
  band = uint32_t(std::clamp<uint64_t>(band, 1, std::min<uint64_t>(limit, height)));
  std::vector<uint32_t> raster(size_t(width) * band);

  // Complaints while opening are often recoverable; from here on any complaint means damaged data.
  firstError.clear();
  RowProgressReporter reporter(progress, height);
  for (uint32_t row = 0; row < height; row += band) {
    uint32_t rows = std::min(band, height - row);
    rgba->row_offset = int(row);
    rgba->col_offset = 0;
    if (!TIFFRGBAImageGet(rgba.get(), raster.data(), width, rows)) {
      out = WorkingBitmap{};
      Fail(firstError, "damaged image data");
    }
    uint32_t top = flipped ? height - row - rows : row;
    for (uint32_t i = 0; i < rows; ++i) {
      const uint32_t* src = raster.data() + size_t(i) * width;
      uint8_t* dst = out.Row(int32_t(top + i));
      for (uint32_t x = 0; x < width; ++x) {
        uint32_t abgr = src[x];
        dst[3 * x] = uint8_t(TIFFGetR(abgr));
        dst[3 * x + 1] = uint8_t(TIFFGetG(abgr));
        dst[3 * x + 2] = uint8_t(TIFFGetB(abgr));
      }
    }
    reporter.Row(row + rows);
  }
  // libtiff may report a damaged strip and still return success; such a picture is not trusted.
  if (!firstError.empty()) {
    out = WorkingBitmap{};
    throw DecodeError(firstError);
  }
}

}  // namespace karovel::image
