#include "image/decoders.h"

namespace karovel::image {

bool IsPsp(const uint8_t*, size_t) { return false; }

void DecodePsp(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("Paintshop Pro: not supported yet");
}

}  // namespace karovel::image
