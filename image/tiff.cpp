#include "image/decoders.h"

namespace karovel::image {

bool IsTiff(const uint8_t*, size_t) { return false; }

void DecodeTiff(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("TIFF: not supported yet");
}

}  // namespace karovel::image
