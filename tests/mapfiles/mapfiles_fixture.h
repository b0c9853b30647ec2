#pragma once
// A catalogue, an image host and a folder with small pictures for the map file tests.
#include <string>

#include "base/message_sink.h"
#include "catalogue/map_catalogue.h"
#include "image/image_loader.h"
#include "tests/support/temp_dir.h"

namespace karovel::mapfiles {

// A binary PPM picture of the given size: the decoder is simple and always present.
inline void WritePpm(const std::string& path, int width, int height) {
  std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (int i = 0; i < width * height; ++i) bytes += std::string{char(i % 251), char(i % 13), char(7)};
  karovel::testing::WriteTextFile(path, bytes);
}

struct MapFilesFixture {
  karovel::testing::TempDir dir;
  catalogue::MapCatalogue catalogue;
  RecordingMessageSink messages;
  image::ImageHost host;

  MapFilesFixture() { host.messages = &messages; }
  std::string Picture(const std::string& name, int width = 40, int height = 30) {
    std::string path = dir.File(name);
    WritePpm(path, width, height);
    return path;
  }
  std::string Text(const std::string& name, const std::string& text) {
    std::string path = dir.File(name);
    karovel::testing::WriteTextFile(path, text);
    return path;
  }
};

}  // namespace karovel::mapfiles
