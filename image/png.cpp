#include "image/decoders.h"

namespace karovel::image {

bool IsPng(const uint8_t*, size_t) { return false; }

void DecodePng(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("PNG: not supported yet");
}

}  // namespace karovel::image
