#include "image/decoders.h"

namespace karovel::image {

void DecodeBmp(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("Windows bitmaps: not supported yet");
}

}  // namespace karovel::image
