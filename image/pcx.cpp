#include "image/decoders.h"

namespace karovel::image {

bool IsPcx(const uint8_t*, size_t) { return false; }

void DecodePcx(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("PCX: not supported yet");
}

}  // namespace karovel::image
