// "Create RMP" driven through the window: the dialog, the calibration check, the row selections and the
// progress, and the same bytes as karovel-rmp.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "mapfiles/map_file.h"
#include "tests/support/image_writers.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/window_fixture.h"
#include "tools/commands.h"

namespace karovel::testing {
namespace {

using Message = RecordingMessageSink::Message;
namespace fs = std::filesystem;

// A calibrated record for a .gmap file: the map's top-left corner at (lon, lat), 0.0001 degree a pixel.
std::string Record(const std::string& image, const std::string& name, double lon, double lat) {
  return "Path=" + image + "\r\nWexaname=" + name + "\r\nCalib=1\r\n" + mapfiles::RealText(lon) + " " +
         mapfiles::RealText(lat) + " " + mapfiles::RealText(0.0001) + " " + mapfiles::RealText(-0.0001) +
         "\r\n0 0 0 0 0\r\n0 0 0 0 0\r\n0 0 0 0 0\r\n0 0 0 0 0\r\n0 0 0 0 0\r\n";
}

class CreateRmpTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Show();
    // Record every progress update on the way to the bar.
    auto toBar = form->progress.show;
    form->progress.show = [this, toBar](int32_t percent, bool visible) {
      progressLog.push_back({percent, visible});
      if (toBar) toBar(percent, visible);
    };
    auto shown = form->imageHost.loaded;
    form->imageHost.loaded = [this, shown](const image::WorkingBitmap& bitmap) {
      ++loads;
      if (shown) shown(bitmap);
    };
  }

  // n calibrated maps of width x height read from one .gmap file, as Import Map(s) reads them.
  std::string ImportCalibrated(int n, int width = 300, int height = 200) {
    std::string text;
    for (int i = 0; i < n; ++i) {
      const std::string image = dir.File("map" + std::to_string(i) + ".bmp");
      WriteBmpFile(image, width + i, height, uint32_t(i + 1));
      text += Record(image, "map" + std::to_string(i), 8 + 0.05 * i, 47 - 0.01 * i);
    }
    const std::string gmap = dir.File("maps.gmap");
    WriteTextFile(gmap, text);
    openDialog.answers.push_back({gmap});
    form->I1Click();
    EXPECT_EQ(form->catalogue.mapCount, n);
    return gmap;
  }

  bool CreateRmp(const std::string& path) {
    saveDialog.answers.push_back({path});
    progressLog.clear();
    loads = 0;
    form->CreateROM1Click();
    return fs::exists(path);
  }

  // The visible values the bar showed, in order.
  std::vector<int> VisibleValues() const {
    std::vector<int> values;
    for (const auto& [percent, visible] : progressLog)
      if (visible) values.push_back(percent);
    return values;
  }

  TempDir dir;
  std::vector<std::pair<int32_t, bool>> progressLog;
  int loads = 0;
};

TEST_F(CreateRmpTest, NoMapsStillAsksAndWritesTheEmptyFile) {
  const std::string out = dir.File("empty");  // typed without extension
  ASSERT_TRUE(CreateRmp(out + ".rmp"));
  ASSERT_EQ(saveDialog.opened.size(), 1u);
  EXPECT_EQ(saveDialog.opened[0].filter, "RMP map (*.rmp)|*.rmp");
  EXPECT_EQ(saveDialog.opened[0].defaultExtension, "*.rmp");
  EXPECT_EQ(saveDialog.opened[0].fileName, "");
  EXPECT_EQ(saveDialog.opened[0].initialDir, "");
  EXPECT_EQ(fs::file_size(out + ".rmp"), 1865u);
  EXPECT_TRUE(messages.messages.empty());
  ASSERT_FALSE(progressLog.empty());
  EXPECT_EQ(progressLog.front(), (std::pair<int32_t, bool>{5, true}));
  EXPECT_EQ(progressLog.back(), (std::pair<int32_t, bool>{5, false}));
  EXPECT_EQ(form->StringGrid1->Row(), 1);

  // A name typed without extension gets ".rmp"; the folder opens the next dialog.
  ASSERT_TRUE(CreateRmp(dir.File("plain")) || fs::exists(dir.File("plain.rmp")));
  EXPECT_TRUE(fs::exists(dir.File("plain.rmp")));
  EXPECT_EQ(form->rmpFileName, dir.File("plain.rmp"));
  EXPECT_EQ(form->lastRmpDir, dir.path());
  EXPECT_EQ(saveDialog.opened.back().initialDir, dir.path());
}

TEST_F(CreateRmpTest, CancelChangesNothing) {
  ImportCalibrated(1);
  saveDialog.answers.push_back({});
  progressLog.clear();
  form->CreateROM1Click();
  EXPECT_TRUE(form->rmpFileName.empty());
  EXPECT_TRUE(form->lastRmpDir.empty());
  EXPECT_TRUE(progressLog.empty());
  EXPECT_TRUE(messages.messages.empty());
}

class CreateRmpRCellTest : public CreateRmpTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CreateRmpRCellTest, AnythingButYRefusesAndWritesNothing) {
  ImportCalibrated(3);
  form->catalogue.grid1.SetCell(2, catalogue::ColR, GetParam());
  form->catalogue.grid1.SetCell(3, catalogue::ColR, "N");  // never looked at: one message only
  const std::string out = dir.File("refused.rmp");
  EXPECT_FALSE(CreateRmp(out));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], (Message{"All maps should be calibrated", "Error"}));
  // The dialog came first: the choice is remembered.
  EXPECT_EQ(form->rmpFileName, out);
  EXPECT_EQ(form->lastRmpDir, dir.path());
  EXPECT_TRUE(progressLog.empty());
  EXPECT_EQ(loads, 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, CreateRmpRCellTest, ::testing::Values("N", "", " ", "y"));

TEST_F(CreateRmpTest, OneMapRisesFromFiveToAHundred) {
  ImportCalibrated(1, 600, 300);
  ASSERT_TRUE(CreateRmp(dir.File("one.rmp")));
  ASSERT_GE(progressLog.size(), 3u);
  EXPECT_EQ(progressLog.front(), (std::pair<int32_t, bool>{5, true}));
  EXPECT_EQ(progressLog.back(), (std::pair<int32_t, bool>{5, false}));
  EXPECT_FALSE(form->SCProgress1->isVisible());
  // After the image has loaded (the loader hides the bar at its end) the bar rises from 5 to 100.
  auto loaded =
      std::find_if(progressLog.rbegin() + 1, progressLog.rend(), [](const auto& p) { return !p.second; });
  ASSERT_NE(loaded, progressLog.rend());
  std::vector<int> tiles;
  for (auto it = loaded.base(); it + 1 < progressLog.end(); ++it) {
    EXPECT_TRUE(it->second);
    tiles.push_back(it->first);
  }
  ASSERT_FALSE(tiles.empty());
  EXPECT_EQ(tiles.front(), 5);
  EXPECT_EQ(tiles.back(), 100);
  EXPECT_TRUE(std::is_sorted(tiles.begin(), tiles.end())) << ::testing::PrintToString(tiles);
}

TEST_F(CreateRmpTest, RowOneCurrentBeforeStillReloadsMapZero) {
  ImportCalibrated(2);
  form->StringGrid1->SetRow(1);
  ASSERT_EQ(form->catalogue.selectedMap, 0);
  const std::string before = mapfiles::MapFileText(form->catalogue, 1, 2);
  ASSERT_TRUE(CreateRmp(dir.File("two.rmp")));
  EXPECT_EQ(loads, 2);
  // Afterwards: row N current, its image in the working bitmap, the catalogue as it was.
  EXPECT_EQ(form->StringGrid1->Row(), 2);
  EXPECT_EQ(form->catalogue.selectedMap, 1);
  EXPECT_EQ(form->imageHost.workingBitmap->width, 301);
  EXPECT_EQ(mapfiles::MapFileText(form->catalogue, 1, 2), before);
}

TEST_F(CreateRmpTest, TwentyMapsStepByFive) {
  ImportCalibrated(20, 100, 100);
  ASSERT_TRUE(CreateRmp(dir.File("twenty.rmp")));
  const std::vector<int> values = VisibleValues();
  // The first map's tiles take the bar to 10; the whole-build value after it is 5 again.
  auto ten = std::find(values.begin(), values.end(), 10);
  ASSERT_NE(ten, values.end());
  EXPECT_NE(std::find(ten, values.end(), 5), values.end());
  EXPECT_EQ(values.back(), 100);
  EXPECT_EQ(progressLog.back(), (std::pair<int32_t, bool>{5, false}));
}

TEST_F(CreateRmpTest, AnImageThatFailsToLoadStopsTheBuild) {
  ImportCalibrated(2);
  const std::string out = dir.File("old.rmp");
  WriteTextFile(out, "previous file");
  fs::remove(dir.File("map1.bmp"));
  EXPECT_TRUE(CreateRmp(out));
  EXPECT_EQ(ReadTextFile(out), "previous file");  // untouched
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], (Message{"Cannot load image\r\nmap1.bmp", "Error"}));
  EXPECT_EQ(progressLog.back(), (std::pair<int32_t, bool>{5, false}));
}

TEST_F(CreateRmpTest, TheSameBytesAsKarovelRmpBuild) {
  const std::string gmap = ImportCalibrated(3, 700, 300);
  const std::string window = dir.File("window.rmp"), tool = dir.File("tool.rmp");
  WriteTextFile(window, "replaced in one write");
  ASSERT_TRUE(CreateRmp(window));
  ASSERT_EQ(tools::RunBuild({"-o", tool, gmap}), 0);
  EXPECT_EQ(ReadFile(window), ReadFile(tool));
}

}  // namespace
}  // namespace karovel::testing
