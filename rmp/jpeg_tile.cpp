// JPEG encoding of one tile through libjpeg. libjpeg reports errors by calling error_exit, which must not
// return; we longjmp back into EncodeRaw, whose frame owns nothing that needs a destructor, so no C++
// frame is skipped.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/platform_error.h"
#include "rmp/tile_grid.h"

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace karovel::rmp {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void OnJpegError(j_common_ptr cinfo) {
  ErrorManager* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  err->pub.format_message(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

extern "C" void OnJpegMessage(j_common_ptr, int) {}

// Encodes into a buffer that libjpeg allocates with malloc; the caller frees *out. Returns false with
// message filled when libjpeg failed.
bool EncodeRaw(const uint8_t* rgb, unsigned char** out, unsigned long* outSize, char* message) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  err.pub.emit_message = OnJpegMessage;
  err.message[0] = '\0';
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::memcpy(message, err.message, JMSG_LENGTH_MAX);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, out, outSize);
  cinfo.image_width = TileSize;
  cinfo.image_height = TileSize;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  cinfo.dct_method = JDCT_FLOAT;
  cinfo.optimize_coding = FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + size_t(cinfo.next_scanline) * TileSize * 3);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

// Frees libjpeg's output buffer on every path.
struct MallocBuffer {
  unsigned char* data = nullptr;
  unsigned long size = 0;
  ~MallocBuffer() { std::free(data); }
};

}  // namespace

void EncodeTile(const uint8_t* rgb, std::vector<uint8_t>& out) {
  MallocBuffer buffer;
  char message[JMSG_LENGTH_MAX];
  if (!EncodeRaw(rgb, &buffer.data, &buffer.size, message))
    throw PlatformError(std::string("JPEG encoder error: ") + message);
  out.insert(out.end(), buffer.data, buffer.data + buffer.size);
}

}  // namespace karovel::rmp
