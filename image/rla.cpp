#include "image/decoders.h"

namespace karovel::image {

bool IsRla(const uint8_t*, size_t) { return false; }

void DecodeRla(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("Alias/Wavefront: not supported yet");
}

}  // namespace karovel::image
