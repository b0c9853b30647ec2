#include "image/decoders.h"

namespace karovel::image {

void DecodeJpeg(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("JPG images: not supported yet");
}

}  // namespace karovel::image
