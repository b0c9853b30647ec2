#include "image/decoders.h"

namespace karovel::image {

bool IsPcd(const uint8_t*, size_t) { return false; }

void DecodePcd(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("Kodak Photo-CD: not supported yet");
}

}  // namespace karovel::image
