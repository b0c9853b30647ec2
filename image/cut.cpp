#include "image/decoders.h"

namespace karovel::image {

void DecodeCut(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("Dr. Halo: not supported yet");
}

}  // namespace karovel::image
