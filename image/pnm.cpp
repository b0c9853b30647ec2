#include "image/decoders.h"

namespace karovel::image {

bool IsPnm(const uint8_t*, size_t) { return false; }

void DecodePnm(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("Portable map: not supported yet");
}

}  // namespace karovel::image
