#include "image/decoders.h"

namespace karovel::image {

bool IsPsd(const uint8_t*, size_t) { return false; }

void DecodePsd(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("Photoshop: not supported yet");
}

}  // namespace karovel::image
