#include "image/decoders.h"

namespace karovel::image {

const std::vector<ImageFamily>& ImageFamilies() {
  static const std::vector<ImageFamily> families = {
      {"Windows bitmaps", {"bmp", "dib", "rle"}, nullptr, DecodeBmp},
      {"Windows icons", {"ico"}, nullptr, nullptr},
      {"Windows metafiles", {"emf", "wmf"}, nullptr, nullptr},
      {"JPG images", {"jfif", "jpe", "jpeg", "jpg"}, nullptr, DecodeJpeg},
      {"Truevision images", {"icb", "tga", "vda", "vst", "win"}, IsTga, DecodeTga},
      {"Tagged image file format images", {"fax", "tif", "tiff"}, IsTiff, DecodeTiff},
      {"Encapsulated Postscript images", {"eps"}, IsEps, DecodeEps},
      {"ZSoft Paintbrush images", {"pcc", "pcx", "scr"}, IsPcx, DecodePcx},
      {"Alias/Wavefront images", {"rla", "rpf"}, IsRla, DecodeRla},
      {"SGI images", {"bw", "rgb", "rgba", "sgi"}, IsSgi, DecodeSgi},
      {"Photoshop images", {"pdd", "psd"}, IsPsd, DecodePsd},
      {"Portable map images", {"pbm", "pgm", "ppm"}, IsPnm, DecodePnm},
      {"Autodesk images", {"cel", "pic"}, IsCel, DecodeCel},
      {"Kodak Photo-CD images", {"pcd"}, IsPcd, DecodePcd},
      {"Dr. Halo images", {"cut"}, nullptr, DecodeCut},
      {"Paintshop Pro images", {"psp"}, IsPsp, DecodePsp},
      {"Portable network graphic images", {"png"}, IsPng, DecodePng},
      {"GIF", {"gif"}, nullptr, DecodeGif},
  };
  return families;
}

}  // namespace karovel::image
