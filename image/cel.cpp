#include "image/decoders.h"

namespace karovel::image {

bool IsCel(const uint8_t*, size_t) { return false; }

void DecodeCel(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("Autodesk: not supported yet");
}

}  // namespace karovel::image
