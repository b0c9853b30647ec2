#pragma once
// Content tests and decoders of every family, one file each.
#include "image/image_family.h"

namespace karovel::image {

#define KAROVEL_DECODER(Name) \
  void Decode##Name(const DecodeInput& input, WorkingBitmap& out, const RowProgress& progress)
#define KAROVEL_CONTENT_TEST(Name) bool Is##Name(const uint8_t* data, size_t size)

KAROVEL_DECODER(Bmp);
KAROVEL_DECODER(Jpeg);
KAROVEL_CONTENT_TEST(Tga);
KAROVEL_DECODER(Tga);
KAROVEL_CONTENT_TEST(Tiff);
KAROVEL_DECODER(Tiff);
KAROVEL_CONTENT_TEST(Eps);
KAROVEL_DECODER(Eps);
KAROVEL_CONTENT_TEST(Pcx);
KAROVEL_DECODER(Pcx);
KAROVEL_CONTENT_TEST(Rla);
KAROVEL_DECODER(Rla);
KAROVEL_CONTENT_TEST(Sgi);
KAROVEL_DECODER(Sgi);
KAROVEL_CONTENT_TEST(Psd);
KAROVEL_DECODER(Psd);
KAROVEL_CONTENT_TEST(Pnm);
KAROVEL_DECODER(Pnm);
KAROVEL_CONTENT_TEST(Cel);
KAROVEL_DECODER(Cel);
KAROVEL_CONTENT_TEST(Pcd);
KAROVEL_DECODER(Pcd);
KAROVEL_DECODER(Cut);
KAROVEL_CONTENT_TEST(Psp);
KAROVEL_DECODER(Psp);
KAROVEL_CONTENT_TEST(Png);
KAROVEL_DECODER(Png);
KAROVEL_DECODER(Gif);

#undef KAROVEL_DECODER
#undef KAROVEL_CONTENT_TEST

}  // namespace karovel::image
