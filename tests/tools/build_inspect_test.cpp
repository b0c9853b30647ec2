#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "base/byte_reader.h"
#include "mapfiles/map_file.h"
#include "tests/mapfiles/mapfiles_fixture.h"
#include "tests/support/image_writers.h"
#include "tests/tools/command_outcome.h"
#include "tools/rmp_inspect.h"

namespace karovel::tools {
namespace {

class BuildInspectTest : public ::testing::Test, public mapfiles::MapFilesFixture {
 protected:
  // Adds a map of the given scale and size, calibrated or not, to the catalogue.
  void AddMap(const std::string& name, double lon, double lat, double perPixel, int width, int height,
              bool calibrated = true) {
    catalogue::MapEntry& e = catalogue.entries[size_t(catalogue.mapCount)];
    e.originLon = lon;
    e.originLat = lat;
    e.lonPerPixel = perPixel;
    e.latPerPixel = -perPixel;
    e.calibrated = calibrated;
    ASSERT_TRUE(
        catalogue::AddMap(catalogue, host, messages, Picture(name + ".ppm", width, height), name, ""));
  }
  std::string SaveMaps(const std::string& name) {
    const std::string path = dir.File(name);
    mapfiles::WriteMapFileRows(catalogue, 1, catalogue.mapCount, path);
    return path;
  }
  void ThreeScales(bool large = true) {
    AddMap("coarse", 8.0, 47.0, 0.001, 300, 200);
    AddMap("middle", 8.05, 46.98, 0.0005, 520, 260);
    // Large: more than one leaf in its index.
    AddMap("fine", 8.1, 46.97, 0.00025, large ? 2600 : 700, large ? 1800 : 530);
  }
};

TEST_F(BuildInspectTest, ThreeScalesBuildAndInspect) {
  ThreeScales();
  const std::string gmap = SaveMaps("three.gmap"), rmp = dir.File("three.rmp");
  const Outcome build = RunCaptured(RunBuild, {"-o", rmp, gmap});
  ASSERT_EQ(build.status, 0) << build.err;
  EXPECT_EQ(build.out, "");
  EXPECT_EQ(build.err, "");  // stderr is no terminal here: no bar

  const Outcome inspect = RunCaptured(RunInspect, {rmp, "--extract", dir.File("x")});
  ASSERT_EQ(inspect.status, 0) << inspect.err;
  for (const char* line : {"member\trmp\tini\t240\t40\n", "member\ttopo3\ta00\t", "member\tchunk\tics\t"})
    EXPECT_NE(inspect.out.find(line), std::string::npos) << line;
  // Each scale has its own grid.
  const std::vector<uint8_t> file = testing::ReadFile(rmp);
  const RmpContents contents = InspectRmp(file);
  ASSERT_EQ(contents.layers.size(), 3u);
  const double spans[] = {0.256, 0.128, 0.064};
  for (size_t k = 0; k < 3; ++k) {
    const RmpLayer& layer = contents.layers[k];
    EXPECT_DOUBLE_EQ(layer.tileLonSpan, spans[k]);
    EXPECT_EQ(layer.across * layer.down, layer.tiles);
    size_t extracted = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("x/" + layer.name)))
      (void)entry, ++extracted;
    EXPECT_EQ(extracted, size_t(layer.tiles));
  }
  EXPECT_GT(contents.layers[2].tiles, 70);
  EXPECT_EQ(testing::ReadFile(dir.File("x/chunk.ics")).size(), 1756u);
  EXPECT_NE(inspect.out.find("consistent: 8 members, 3 layers"), std::string::npos);
}

TEST_F(BuildInspectTest, TheThreadCountDoesNotChangeTheBytes) {
  ThreeScales(false);
  const std::string gmap = SaveMaps("three.gmap");
  ASSERT_EQ(RunCaptured(RunBuild, {"-o", dir.File("one.rmp"), "--threads", "1", gmap}).status, 0);
  ASSERT_EQ(RunCaptured(RunBuild, {"-o", dir.File("all.rmp"), gmap}).status, 0);
  ASSERT_EQ(RunCaptured(RunBuild, {"-o", dir.File("five.rmp"), "--threads", "5", gmap}).status, 0);
  EXPECT_TRUE(testing::ReadFile(dir.File("one.rmp")) == testing::ReadFile(dir.File("all.rmp")));
  EXPECT_TRUE(testing::ReadFile(dir.File("one.rmp")) == testing::ReadFile(dir.File("five.rmp")));
}

// JPEG and PNG pictures are tiled while they decode: the last map's tiles begin while the map files are
// read, the others' while the build loads them. The bytes are those of one thread.
TEST_F(BuildInspectTest, TilesEncodedDuringTheDecodeGiveTheSameBytes) {
  const std::string jpeg = dir.File("a.jpg"), png = dir.File("b.png");
  testing::WriteFile(jpeg, testing::EncodeJpeg(testing::PatternImage(700, 530, 3)));
  testing::WriteFile(png, testing::EncodePng(testing::PatternImage(520, 900, 4)));
  for (const auto& [path, name, lon] : {std::tuple{jpeg, "a", 8.0}, std::tuple{png, "b", 8.3}}) {
    catalogue::MapEntry& e = catalogue.entries[size_t(catalogue.mapCount)];
    e.originLon = lon;
    e.originLat = 47.0;
    e.lonPerPixel = 0.0003;
    e.latPerPixel = -0.0003;
    e.calibrated = true;
    ASSERT_TRUE(catalogue::AddMap(catalogue, host, messages, path, name, ""));
  }
  const std::string both = SaveMaps("both.gmap");
  const std::string one = dir.File("one.gmap");
  mapfiles::WriteMapFileRows(catalogue, 1, 1, one);
  for (const std::string& gmap : {both, one}) {
    ASSERT_EQ(RunCaptured(RunBuild, {"-o", dir.File("serial.rmp"), "--threads", "1", gmap}).status, 0);
    for (const char* threads : {"2", "3", "0"}) {
      ASSERT_EQ(RunCaptured(RunBuild, {"-o", dir.File("streamed.rmp"), "--threads", threads, gmap}).status,
                0);
      EXPECT_TRUE(testing::ReadFile(dir.File("serial.rmp")) == testing::ReadFile(dir.File("streamed.rmp")))
          << gmap << " with " << threads << " threads";
    }
  }
}

TEST_F(BuildInspectTest, AnUncalibratedMapIsRefusedAndNothingIsWritten) {
  AddMap("good", 8.0, 47.0, 0.001, 50, 40);
  AddMap("raw", 0, 0, 0, 50, 40, false);
  const std::string gmap = SaveMaps("two.gmap"), rmp = dir.File("two.rmp");
  testing::WriteTextFile(rmp, "old");
  const Outcome build = RunCaptured(RunBuild, {"-o", rmp, gmap});
  EXPECT_EQ(build.status, 1);
  EXPECT_EQ(build.err, "Error: All maps should be calibrated\n");
  EXPECT_EQ(testing::ReadTextFile(rmp), "old");
}

TEST_F(BuildInspectTest, AMissingImageStopsTheBuild) {
  AddMap("good", 8.0, 47.0, 0.001, 50, 40);
  const std::string gmap = SaveMaps("one.gmap"), rmp = dir.File("one.rmp");
  std::filesystem::remove(dir.File("good.ppm"));
  const Outcome build = RunCaptured(RunBuild, {"-o", rmp, gmap});
  EXPECT_EQ(build.status, 1);
  EXPECT_FALSE(std::filesystem::exists(rmp));
}

TEST_F(BuildInspectTest, WrongUsage) {
  EXPECT_EQ(RunCaptured(RunBuild, {}).status, 2);
  EXPECT_EQ(RunCaptured(RunBuild, {"a.gmap"}).status, 2);
  EXPECT_EQ(RunCaptured(RunBuild, {"-o"}).status, 2);
  EXPECT_EQ(RunCaptured(RunBuild, {"-o", "x.rmp", "--threads", "many", "a.gmap"}).status, 2);
  EXPECT_EQ(RunCaptured(RunInspect, {}).status, 2);
  EXPECT_EQ(RunCaptured(RunInspect, {"a.rmp", "--extract"}).status, 2);
  EXPECT_EQ(RunCaptured(RunBuild, {"--help"}).status, 0);
  EXPECT_EQ(RunCaptured(RunInspect, {"--help"}).status, 0);
}

// One changed byte is found and named: member, file offset, expected, found.
struct Corruption {
  const char* what;
  const char* member;  // whose offset the byte is counted from
  size_t offset;       // in that member
  uint8_t value;
  const char* message;  // the start of the report after "<member> at file offset N"
};

void PrintTo(const Corruption& c, std::ostream* os) { *os << c.what; }

class InspectCorruption : public BuildInspectTest, public ::testing::WithParamInterface<Corruption> {};

TEST_P(InspectCorruption, IsReported) {
  const Corruption& c = GetParam();
  ThreeScales(false);
  const std::string gmap = SaveMaps("three.gmap"), rmp = dir.File("three.rmp");
  ASSERT_EQ(RunCaptured(RunBuild, {"-o", rmp, gmap}).status, 0);
  std::vector<uint8_t> file = testing::ReadFile(rmp);
  size_t base = 0;
  if (std::string(c.member) != "container") {
    for (const RmpMember& m : InspectRmp(file).members)
      if (m.FileName() == c.member) base = m.offset;
    ASSERT_NE(base, 0u);
  }
  file[base + c.offset] = c.value;
  testing::WriteFile(rmp, file);
  const Outcome inspect = RunCaptured(RunInspect, {rmp});
  EXPECT_EQ(inspect.status, 1);
  const std::string expected = rmp + ": " + c.member + " at file offset " + std::to_string(base + c.offset) +
                               " (member offset " + std::to_string(c.offset) + "): " + c.message;
  EXPECT_EQ(inspect.err.substr(0, expected.size()), expected) << inspect.err;
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, InspectCorruption,
    ::testing::Values(
        Corruption{"count", "container", 4, 9, "expected 8, found 9"},
        Corruption{"trailer", "container", 8 + 24 * 8 + 2, 'm', "expected trailer byte 0x4D, found 0x6D"},
        Corruption{"tileCount", "topo2.tlm", 4, 99, "expected "},
        Corruption{"entryColumn", "topo1.tlm", 4188 + 8 + 16, 0x55, "expected "},
        Corruption{"a00Offset", "topo3.tlm", 4188 + 8 + 12, 5, "expected 4, found 5"},
        Corruption{"tileStream", "topo1.a00", 8, 0, "expected JPEG start byte 0xFF, found 0x0"},
        Corruption{"iconChunk", "chunk.ics", 155, 'X', "expected icon chunk byte 0x20, found 0x58"},
        Corruption{"layerList", "rmp.ini", 13, '7', "expected layer list byte 0x3D, found 0x37"}),
    [](const ::testing::TestParamInfo<Corruption>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace karovel::tools
