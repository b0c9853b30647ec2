// PNG through libpng: every colour type and bit depth, interlaced or not. Palettes and gray are expanded
// to RGB, 16-bit samples scaled to 8, and an alpha channel (or tRNS) dropped: the stored colour is used.
//
// libpng reports errors by longjmp; the libpng calls live in one function whose frame owns nothing, the
// read structures are owned by the caller and destroyed after the jump has landed.
#include <png.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "image/decoders.h"

namespace karovel::image {

namespace {

// Deflate packs at most about 1032 bytes into one, and a 1-bit picture holds 8 pixels a byte; a
// picture far beyond that is damage and is refused before allocating. Small pictures always pass.
constexpr uint64_t kPixelsPerByte = 16384;
constexpr uint64_t kAlwaysAllowedPixels = uint64_t(1) << 20;

struct PngState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t position = 0;
  const std::function<void(size_t)>* consumed = nullptr;  // the loader's hook, may be empty
  char message[256] = {};
  ~PngState() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
};

void ErrorFn(png_structp png, png_const_charp message) {
  PngState* s = static_cast<PngState*>(png_get_error_ptr(png));
  std::strncpy(s->message, message ? message : "", sizeof s->message - 1);
  png_longjmp(png, 1);
}

void WarningFn(png_structp, png_const_charp) {}

void ReadFn(png_structp png, png_bytep out, size_t length) {
  PngState* s = static_cast<PngState*>(png_get_io_ptr(png));
  if (length > s->size - s->position) png_error(png, "unexpected end of data");
  std::memcpy(out, s->data + s->position, length);
  s->position += length;
}

enum class Outcome { Decoded, Damaged, TooLarge };

// Only trivially destructible locals here: a longjmp may land in this frame at any libpng call.
Outcome RunReader(PngState& s, const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, ErrorFn, WarningFn);
  if (!s.png) return Outcome::TooLarge;
  s.info = png_create_info_struct(s.png);
  if (!s.info) return Outcome::TooLarge;
  if (setjmp(png_jmpbuf(s.png))) return Outcome::Damaged;
  png_set_read_fn(s.png, &s, ReadFn);
#if defined(PNG_SET_OPTION_SUPPORTED) && defined(PNG_IGNORE_ADLER32)
  // Every chunk's CRC still guards the compressed data, so zlib's second checksum over the inflated
  // bytes only costs time.
  png_set_option(s.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  png_read_info(s.png, s.info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0;
  png_get_IHDR(s.png, s.info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
  const uint64_t pixels = uint64_t(width) * height;
  if (pixels > kAlwaysAllowedPixels && pixels / kPixelsPerByte > s.size) return Outcome::TooLarge;

  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(s.png);
  if (!(colorType & PNG_COLOR_MASK_COLOR)) {
    if (depth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
    png_set_gray_to_rgb(s.png);
  }
  if (depth == 16) png_set_scale_16(s.png);
  png_set_strip_alpha(s.png);
  const int passes = png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
  if (png_get_channels(s.png, s.info) != 3 || png_get_rowbytes(s.png, s.info) != size_t(width) * 3)
    return Outcome::Damaged;

  if (!AllocateBitmap(out, width, height)) return Outcome::TooLarge;
  // Interlaced passes are merged by libpng into the rows already read, so every pass reads into the
  // bitmap itself.
  RowProgressReporter reporter(progress, int64_t(passes) * height);
  for (int pass = 0; pass < passes; ++pass)
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(s.png, out.Row(int32_t(y)), nullptr);
      reporter.Row(int64_t(pass) * height + y + 1);
      // Only the last pass finishes a row; batches keep the hook off the per-row path.
      if (pass == passes - 1 && ((y + 1) % 16 == 0 || y + 1 == height)) input.ReportRows(out, int32_t(y + 1));
      // libpng never reads back, so the file's pages behind it can go while the bitmap fills.
      if (*s.consumed) (*s.consumed)(s.position);
    }
  // The chunks after the image data are not read: a file cut after its pixels still gives them all.
  return Outcome::Decoded;
}

}  // namespace

bool IsPng(const uint8_t* data, size_t size) { return size >= 8 && png_sig_cmp(data, 0, 8) == 0; }

void DecodePng(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  auto state = std::make_unique<PngState>();
  state->data = input.data;
  state->size = input.size;
  state->consumed = &input.consumed;
  switch (RunReader(*state, input, out, progress)) {
    case Outcome::Decoded:
      return;
    case Outcome::TooLarge:
      input.Discard(out);
      throw DecodeError("PNG: picture too large");
    case Outcome::Damaged:
      input.Discard(out);
      throw DecodeError(std::string("PNG: ") + (state->message[0] ? state->message : "damaged data"));
  }
}

}  // namespace karovel::image
