#include "rmp/build_rmp.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>

#include "base/byte_reader.h"
#include "base/file_io.h"
#include "base/platform_error.h"
#include "rmp/icon_chunk.h"
#include "rmp/tile_grid.h"
#include "tests/support/image_writers.h"
#include "tests/support/output_faults.h"
#include "tests/support/temp_dir.h"

namespace karovel::rmp {
namespace {

using catalogue::MapCatalogue;
using catalogue::MapEntry;
using testing::TempDir;

// A catalogue of calibrated maps held in memory; selectMap hands out their bitmaps and, as the image
// loader does, leaves the progress bar hidden at 5.
struct Fixture {
  MapCatalogue catalogue;
  std::vector<image::WorkingBitmap> bitmaps;
  std::vector<int> selected;
  Progress progress;
  std::vector<std::pair<int32_t, bool>> shown;
  RecordingMessageSink messages;
  int missing = -1;  // this map's image cannot be loaded

  Fixture() {
    progress.show = [this](int32_t p, bool v) { shown.push_back({p, v}); };
  }

  void Add(const std::string& name, const MapEntry& entry, int width, int height, uint32_t seed = 1) {
    const int i = catalogue.mapCount++;
    catalogue.entries[size_t(i)] = entry;
    catalogue.entries[size_t(i)].imageWidth = width;
    catalogue.entries[size_t(i)].imageHeight = height;
    catalogue.entries[size_t(i)].calibrated = true;
    catalogue.grid1.SetRowCount(catalogue.grid1.RowCount() + 1);
    catalogue.grid1.SetCell(i + 1, catalogue::ColName, name);
    catalogue.grid1.SetCell(i + 1, catalogue::ColR, "Y");
    image::WorkingBitmap b;
    if (width > 0 && height > 0 && int64_t(width) * height <= 4096 * 4096) {
      const testing::RgbImage picture = testing::PatternImage(width, height, seed);
      EXPECT_TRUE(image::AllocateBitmap(b, width, height));
      std::copy(picture.pixels.begin(), picture.pixels.end(), b.pixels.get());
    }
    bitmaps.push_back(std::move(b));
  }

  bool Build(const std::string& path, const BuildOptions& options = {}) {
    return BuildRmp(
        catalogue, path, messages, progress,
        [this](int i, const image::RowsDecodedFn&) -> const image::WorkingBitmap* {
          selected.push_back(i);
          if (i >= catalogue.mapCount) return nullptr;
          progress.progressVisible = false;
          progress.progressPercent = 5;
          progress.UpdateProgress();
          if (i == missing) return nullptr;
          catalogue.selectedMap = i;
          return &bitmaps[size_t(i)];
        },
        options);
  }
};

MapEntry Entry(double lon, double lat, double perPixel) {
  MapEntry e;
  e.originLon = lon;
  e.originLat = lat;
  e.lonPerPixel = perPixel;
  e.latPerPixel = -perPixel;
  return e;
}

using Shown = std::vector<std::pair<int32_t, bool>>;

TEST(BuildRmp, NoMapsGivesTheEmptyContainer) {
  TempDir dir;
  Fixture f;
  ASSERT_TRUE(f.Build(dir.File("empty.rmp")));
  EXPECT_EQ(testing::ReadFile(dir.File("empty.rmp")).size(), 1865u);
  EXPECT_EQ(f.shown, (Shown{{5, true}, {5, false}}));
  EXPECT_EQ(f.selected, std::vector<int>{0});
}

TEST(BuildRmp, MembersInOrderWithTheLayersTheyAreMadeOf) {
  TempDir dir;
  Fixture f;
  f.Add("north", Entry(10.0, 50.0, 0.001), 300, 200, 3);
  ASSERT_TRUE(f.Build(dir.File("one.rmp")));
  EXPECT_EQ(f.selected, (std::vector<int>{1, 0}));
  const std::vector<uint8_t> file = testing::ReadFile(dir.File("one.rmp"));

  Progress quiet;
  quiet.progressPercent = 5;
  const TileData tiles = BuildTileData(f.catalogue.entries[0], f.bitmaps[0], 1, quiet, 1);
  const std::vector<uint8_t> tlm = BuildTlm(f.catalogue.entries[0], tiles), a00 = BuildA00(tiles);
  ASSERT_EQ(file.size(), 1922 + tlm.size() + a00.size());
  ByteReader r(file.data(), file.size());
  EXPECT_EQ(r.U32LEAt(24), 144u);
  EXPECT_EQ(r.U32LEAt(28), 22u);
  EXPECT_TRUE(std::equal(tlm.begin(), tlm.end(), file.begin() + 166));
  EXPECT_TRUE(std::equal(a00.begin(), a00.end(), file.begin() + 166 + long(tlm.size())));
  EXPECT_TRUE(std::equal(IconChunk().begin(), IconChunk().end(), file.end() - 1756));
}

TEST(BuildRmp, ProgressForThreeMaps) {
  TempDir dir;
  Fixture f;
  for (int i = 0; i < 3; ++i) f.Add("m" + std::to_string(i), Entry(10.0, 50.0, 0.001), 300, 200, uint32_t(i));
  ASSERT_TRUE(f.Build(dir.File("three.rmp")));
  const Shown expected{{5, true},  {5, false}, {5, true},  {12, true},  {19, true}, {26, true},
                       {33, true}, {33, true}, {5, false}, {33, true},  {41, true}, {49, true},
                       {58, true}, {66, true}, {67, true}, {5, false},  {67, true}, {75, true},
                       {83, true}, {91, true}, {99, true}, {100, true}, {5, false}};
  EXPECT_EQ(f.shown, expected);
}

TEST(BuildRmp, ProgressForTwentyMapsFallsBackAfterTheFirst) {
  TempDir dir;
  Fixture f;
  for (int i = 0; i < 20; ++i) f.Add("m" + std::to_string(i), Entry(10.0, 50.0, 0.001), 10, 10);
  ASSERT_TRUE(f.Build(dir.File("twenty.rmp")));
  Shown expected{{5, true}};
  for (int i = 0; i < 20; ++i) {
    const int32_t before = i == 0 ? 5 : 5 * i;
    expected.insert(expected.end(),
                    {{5, false}, {before, true}, {i == 0 ? 10 : 5 * (i + 1), true}, {5 * (i + 1), true}});
  }
  expected.push_back({5, false});
  EXPECT_EQ(f.shown, expected);
}

// The failures below all leave the previous file exactly as it was and no other file behind.
class FailedBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.File("maps.rmp");
    testing::WriteTextFile(path, "previous file");
    f.Add("north", Entry(10.0, 50.0, 0.001), 300, 200);
    f.Add("east", Entry(10.3, 50.0, 0.0005), 400, 300);
  }
  void ExpectUntouched() {
    EXPECT_EQ(testing::ReadTextFile(path), "previous file");
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++files;
    EXPECT_EQ(files, 1u);
  }
  TempDir dir;
  std::string path;
  Fixture f;
};

TEST_F(FailedBuild, ReadOnlyFolder) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
  std::filesystem::permissions(dir.path(),
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  try {
    f.Build(path);
    ADD_FAILURE() << "no error";
  } catch (const PlatformError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + path);
  }
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
  ExpectUntouched();
}

TEST_F(FailedBuild, FullDisk) {
  // A file size limit makes the write fail part-way, as a full disk does.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  try {
    f.Build(path);
    ADD_FAILURE() << "no error";
  } catch (const PlatformError& e) {
    EXPECT_EQ(std::string(e.what()), "Stream write error");
  }
  setrlimit(RLIMIT_FSIZE, &old);
  ExpectUntouched();
}

TEST_F(FailedBuild, KilledBeforeTheRename) {
  testing::KillBeforeRename kill;
  EXPECT_THROW(f.Build(path), PlatformError);
  ExpectUntouched();
}

TEST_F(FailedBuild, PastTheSizeLimit) {
  BuildOptions options;
  options.sizeLimit = 20000;
  try {
    f.Build(path, options);
    ADD_FAILURE() << "no error";
  } catch (const PlatformError& e) {
    EXPECT_NE(std::string(e.what()).find("bytes or more"), std::string::npos) << e.what();
  }
  ExpectUntouched();
}

TEST_F(FailedBuild, TooManyTilesForOneLayer) {
  // On grid lines: 17920 / 256 + 1 = 71 columns, 25344 / 256 + 1 = 100 rows.
  f.Add("huge", Entry(-179.0, 45.0, 1.0 / 256), 17920, 25344);
  EXPECT_FALSE(f.Build(path));
  ASSERT_EQ(f.messages.messages.size(), 1u);
  EXPECT_EQ(f.messages.messages[0].caption, "Error");
  EXPECT_EQ(f.messages.messages[0].text,
            "Map \"huge\" needs 7100 tiles, but one layer holds at most 7099 tiles");
  EXPECT_TRUE(f.selected.empty());  // refused before any image is loaded
  ExpectUntouched();
}

}  // namespace
}  // namespace karovel::rmp

namespace karovel::catalogue {
void PrintTo(const MapEntry& e, std::ostream* os) {
  *os << e.originLon << " " << e.originLat << " " << e.lonPerPixel << " " << e.latPerPixel;
}
}  // namespace karovel::catalogue

namespace karovel::rmp {
namespace {

// A map file can mark a map calibrated with any four numbers.
class OffTheGrid : public FailedBuild, public ::testing::WithParamInterface<MapEntry> {};

TEST_P(OffTheGrid, IsRefusedBeforeAnyWork) {
  f.Add("odd", GetParam(), 300, 200);
  EXPECT_FALSE(f.Build(path));
  ASSERT_EQ(f.messages.messages.size(), 1u);
  EXPECT_EQ(f.messages.messages[0].text, OffTheGridMessage("odd"));
  EXPECT_EQ(f.messages.messages[0].caption, "Error");
  EXPECT_TRUE(f.selected.empty());
  ExpectUntouched();
}

MapEntry With(double lon, double lat, double lonPerPixel, double latPerPixel) {
  MapEntry e = Entry(lon, lat, 0.001);
  e.lonPerPixel = lonPerPixel;
  e.latPerPixel = latPerPixel;
  return e;
}

INSTANTIATE_TEST_SUITE_P(Calibrations, OffTheGrid,
                         ::testing::Values(With(10, 50, 0, -0.001), With(10, 50, 0.001, 0),
                                           With(1e300, 50, 0.001, -0.001), With(10, 50, 1e-300, -0.001),
                                           With(std::nan(""), 50, 0.001, -0.001),
                                           With(10, 50, 0.001, INFINITY)));

TEST_F(FailedBuild, ImageGoneBeforeTheBuild) {
  f.missing = 1;
  EXPECT_FALSE(f.Build(path));
  EXPECT_TRUE(f.messages.messages.empty());  // the loader's message is the only one
  EXPECT_EQ(f.selected, (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(f.shown.back(), std::make_pair(int32_t(5), false));
  ExpectUntouched();
}

TEST(BuildRmp, A7099TileLayerFits) {
  TempDir dir;
  Fixture f;
  // On grid lines: 7099 columns of one row.
  f.Add("long", Entry(-179.0, 45.0, 1.0 / 256 / 8), 7098 * 256, 1);
  ASSERT_TRUE(f.Build(dir.File("long.rmp")));
  const std::vector<uint8_t> file = testing::ReadFile(dir.File("long.rmp"));
  ByteReader r(file.data(), file.size());
  EXPECT_EQ(r.U32LEAt(28 + 24), 209364u);  // the .tlm of 7099 tiles
}

}  // namespace
}  // namespace karovel::rmp
