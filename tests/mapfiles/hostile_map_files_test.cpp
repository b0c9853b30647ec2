// Map files that are empty, noise, of another program, or hold more maps than the list takes, read as
// "Import Map(s)" reads them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mapfiles/load_map_files.h"
#include "tests/mapfiles/mapfiles_fixture.h"

namespace karovel::mapfiles {
namespace {

using Message = RecordingMessageSink::Message;

std::string Record(const std::string& picture, int k) {
  std::string text = "Path=" + picture + "\r\nWexaname=m" + std::to_string(k) + "\r\nCalib=0\r\n";
  for (int i = 0; i < 5; ++i) text += "0 0  0.00000000  0.00000000 0\r\n";
  return text;
}

struct HostileMapFile {
  const char* name;  // the file's name and the test's
  std::string (*text)(const std::string& picture);
  int maps;                           // maps in the list afterwards
  std::vector<std::string> messages;  // "%FILE%" stands for the file's path
};

class HostileMapFileTest : public ::testing::TestWithParam<HostileMapFile>, public MapFilesFixture {};

TEST_P(HostileMapFileTest, AddsWhatItCanAndSaysWhy) {
  const HostileMapFile& c = GetParam();
  const std::string file = Text(c.name, c.text(Picture("a.ppm", 8, 6)));
  LoadMapFiles(catalogue, host, messages, {file});
  EXPECT_EQ(catalogue.mapCount, c.maps);
  std::vector<Message> expected;
  for (std::string m : c.messages) {
    if (size_t at = m.find("%FILE%"); at != std::string::npos) m.replace(at, 6, file);
    expected.push_back({m, "Error"});
  }
  EXPECT_EQ(messages.messages, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileMapFileTest,
    ::testing::Values(HostileMapFile{"empty.gmap", [](const std::string&) { return std::string(); }, 0, {}},
                      HostileMapFile{"empty.map",
                                     [](const std::string&) { return std::string(); },
                                     0,
                                     {"Not OZIExplorer file: %FILE%"}},
                      HostileMapFile{"noise.gmap",
                                     [](const std::string&) {
                                       return std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xff", 18);
                                     },
                                     0,
                                     {}},
                      HostileMapFile{
                          "noise.map",
                          [](const std::string&) { return std::string("\0\0\0\0OziExplorer", 15); },
                          0,
                          {"Not OZIExplorer file: %FILE%"}},
                      HostileMapFile{"cut.gmap",
                                     [](const std::string& p) { return "Path=" + p; },
                                     0,
                                     {"Map File %FILE% corrupted, exit import"}},
                      HostileMapFile{"twentytwo.gmap",
                                     [](const std::string& p) {
                                       std::string text;
                                       for (int k = 0; k < 22; ++k) text += Record(p, k);
                                       return text;
                                     },
                                     21,
                                     {"The map list is full: at most 21 maps"}}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name)
        if (ch == '.') ch = '_';
      return name;
    });

}  // namespace
}  // namespace karovel::mapfiles
