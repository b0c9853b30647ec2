#include "image/decoders.h"

namespace karovel::image {

bool IsTga(const uint8_t*, size_t) { return false; }

void DecodeTga(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("Truevision images: not supported yet");
}

}  // namespace karovel::image
