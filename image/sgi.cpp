#include "image/decoders.h"

namespace karovel::image {

bool IsSgi(const uint8_t*, size_t) { return false; }

void DecodeSgi(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("SGI: not supported yet");
}

}  // namespace karovel::image
