// JPEG through libjpeg at full size. Gray, YCbCr and RGB files are decoded by the library straight into
// the bitmap's rows; CMYK and YCCK files (Adobe's inverted CMYK included) go through one CMYK row.
//
// libjpeg reports errors by calling error_exit, which must not return. We leave with longjmp, so the
// libjpeg calls live in one function whose frame owns nothing: the decompressor and the row buffer
// are owned by the caller and released by their destructors after the jump has landed.
#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "image/decoders.h"

namespace karovel::image {

namespace {

// A JPEG needs at least a few bits for every 8 x 8 block, so a picture far larger than its data could
// describe is damage; refuse it before allocating (1024 pixels a byte is about eight times the densest
// real stream). Small pictures pass whatever their size.
constexpr uint64_t kPixelsPerByte = 1024;
constexpr uint64_t kAlwaysAllowedPixels = uint64_t(1) << 20;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  ErrorManager* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  err->pub.format_message(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings are tolerated (many cameras write slightly damaged streams), except the end of the data:
// libjpeg would quietly fill the rest of the picture with gray.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) ErrorExit(cinfo);
}

void OutputMessage(j_common_ptr) {}

// The decompressor and the CMYK row buffer: owned outside the function that may longjmp.
struct JpegState {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  bool created = false;
  std::unique_ptr<uint8_t[]> cmykRows;
  ~JpegState() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

enum class Outcome { Decoded, Damaged, TooLarge };

// CMYK as stored: Adobe writes the inks inverted (0 full ink), others plain.
void CmykToRgb(const uint8_t* cmyk, uint8_t* rgb, size_t width, bool inverted) {
  for (size_t x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
    unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    for (int c = 0; c < 3; ++c) {
      unsigned v = inverted ? cmyk[c] : 255u - cmyk[c];
      rgb[c] = uint8_t((v * k + 127) / 255);
    }
  }
}

// Only trivially destructible locals here: a longjmp may land in this frame at any libjpeg call.
Outcome RunDecompressor(JpegState& s, const DecodeInput& input, WorkingBitmap& out,
                        const RowProgress& progress) {
  jpeg_decompress_struct& cinfo = s.cinfo;
  cinfo.err = jpeg_std_error(&s.err.pub);
  s.err.pub.error_exit = ErrorExit;
  s.err.pub.emit_message = EmitMessage;
  s.err.pub.output_message = OutputMessage;
  if (setjmp(s.err.jump)) return Outcome::Damaged;
  jpeg_create_decompress(&cinfo);
  s.created = true;
  jpeg_mem_src(&cinfo, input.data, static_cast<unsigned long>(input.size));
  jpeg_read_header(&cinfo, TRUE);

  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  if (cmyk)
    cinfo.out_color_space = JCS_CMYK;
  else if (cinfo.jpeg_color_space == JCS_GRAYSCALE || cinfo.jpeg_color_space == JCS_YCbCr ||
           cinfo.jpeg_color_space == JCS_RGB)
    cinfo.out_color_space = JCS_RGB;
  else
    return Outcome::Damaged;
  cinfo.scale_num = cinfo.scale_denom = 1;
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.do_fancy_upsampling = TRUE;

  const uint64_t pixels = uint64_t(cinfo.image_width) * cinfo.image_height;
  if (pixels > kAlwaysAllowedPixels && pixels / kPixelsPerByte > input.size) return Outcome::TooLarge;
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != (cmyk ? 4 : 3)) return Outcome::Damaged;
  if (!AllocateBitmap(out, cinfo.output_width, cinfo.output_height)) return Outcome::TooLarge;

  // Several rows a call: libjpeg then hands out whole row groups of the upsampler without buffering.
  constexpr JDIMENSION kBatch = 16;
  const size_t width = cinfo.output_width;
  if (cmyk) {
    s.cmykRows.reset(new (std::nothrow) uint8_t[width * 4 * kBatch]);
    if (!s.cmykRows) return Outcome::TooLarge;
  }
  RowProgressReporter reporter(progress, cinfo.output_height);
  JSAMPROW rows[kBatch];
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION first = cinfo.output_scanline;
    const JDIMENSION want = std::min<JDIMENSION>(kBatch, cinfo.output_height - first);
    for (JDIMENSION i = 0; i < want; ++i)
      rows[i] = cmyk ? s.cmykRows.get() + i * width * 4 : out.Row(int32_t(first + i));
    const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows, want);
    if (got == 0) return Outcome::Damaged;
    if (cmyk)
      for (JDIMENSION i = 0; i < got; ++i)
        CmykToRgb(rows[i], out.Row(int32_t(first + i)), width, cinfo.saw_Adobe_marker);
    reporter.Row(cinfo.output_scanline);
    input.ReportRows(out, int32_t(cinfo.output_scanline));
    // The memory source never reads back: the file's pages behind it can go while the bitmap fills.
    if (input.consumed) input.consumed(size_t(cinfo.src->next_input_byte - input.data));
  }
  jpeg_finish_decompress(&cinfo);
  return Outcome::Decoded;
}

}  // namespace

void DecodeJpeg(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress) {
  auto state = std::make_unique<JpegState>();
  state->err.message[0] = '\0';
  switch (RunDecompressor(*state, input, out, progress)) {
    case Outcome::Decoded:
      return;
    case Outcome::TooLarge:
      input.Discard(out);
      throw DecodeError("JPEG: picture too large");
    case Outcome::Damaged:
      input.Discard(out);
      throw DecodeError(std::string("JPEG: ") +
                        (state->err.message[0] ? state->err.message : "damaged data"));
  }
}

}  // namespace karovel::image
