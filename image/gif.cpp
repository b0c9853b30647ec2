#include "image/decoders.h"

namespace karovel::image {

void DecodeGif(const DecodeInput&, WorkingBitmap&, const RowProgress&) {
  throw DecodeError("GIF: not supported yet");
}

}  // namespace karovel::image
