// The two map file readers of "Import Map(s)" on the input as the file: ReadMapFile for a .gmap
// (KAROVEL_FUZZ_OZI unset) or ImportOziMap for a .map. Beside the file lies "map.bmp", so records that
// name it load a real picture. Only PlatformError may leave a reader, and the catalogue stays sound.
#include <unistd.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "base/message_sink.h"
#include "base/platform_error.h"
#include "catalogue/map_catalogue.h"
#include "fuzz/fuzz_support.h"
#include "mapfiles/map_file.h"
#include "mapfiles/ozi_import.h"

using namespace karovel;

namespace {

// A 2 x 2 24-bit BMP, written once into the scratch folder, which also becomes the current folder.
void PlacePicture() {
  static const bool placed = [] {
    std::vector<uint8_t> b = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0,  0,
                              2,   0,   0,  0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 16, 0,
                              0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0,  0};
    for (int i = 0; i < 16; ++i) b.push_back(static_cast<uint8_t>(i * 13));
    fuzz::WriteScratchFile("map.bmp", b.data(), b.size());
    FUZZ_EXPECT(::chdir(fuzz::ScratchDir().c_str()) == 0);
    return true;
  }();
  (void)placed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PlacePicture();
#ifdef KAROVEL_FUZZ_OZI
  const std::string path = fuzz::WriteScratchFile("input.map", data, size);
#else
  const std::string path = fuzz::WriteScratchFile("input.gmap", data, size);
#endif
  catalogue::MapCatalogue catalogue;
  image::ImageHost host;
  RecordingMessageSink messages;
  host.messages = &messages;
  try {
#ifdef KAROVEL_FUZZ_OZI
    mapfiles::ImportOziMap(catalogue, host, messages, path);
    FUZZ_EXPECT(catalogue.mapCount <= 1);
#else
    mapfiles::ReadMapFile(catalogue, host, messages, path);
#endif
  } catch (const PlatformError&) {
  }
  FUZZ_EXPECT(catalogue.mapCount >= 0 && catalogue.mapCount <= catalogue::MaxMaps);
  for (int i = 0; i < catalogue.mapCount; ++i) {
    const catalogue::MapEntry& e = catalogue.entries[size_t(i)];
    FUZZ_EXPECT(e.imageWidth > 0 && e.imageHeight > 0);
  }
  for (const RecordingMessageSink::Message& m : messages.messages) FUZZ_EXPECT(m.caption == "Error");
  // The catalogue must also still be writable as a map file.
  (void)mapfiles::MapFileText(catalogue, 1, catalogue.mapCount);
  return 0;
}
