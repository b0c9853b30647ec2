#include "image/decoders.h"

namespace karovel::image {

bool IsEps(const uint8_t*, size_t) { return false; }

void DecodeEps(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("EPS: not supported yet");
}

}  // namespace karovel::image
