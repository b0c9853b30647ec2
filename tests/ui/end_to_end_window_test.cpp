// The whole road through the window: images imported, points placed and typed, maps calibrated, saved,
// loaded again, drawn in the overview and written as an RMP file.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/coordinate_format.h"
#include "mapfiles/map_file.h"
#include "tests/support/image_writers.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/window_fixture.h"
#include "tools/commands.h"

namespace karovel::testing {
namespace {

namespace fs = std::filesystem;

class EndToEndTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Show();
  }

  // As the user does it: choose the tab, double-click the view over the pixel, type the latitude and
  // the longitude into their edits with their hemispheres.
  void PlacePoint(int tab, int pixelX, int pixelY, double latitude, double longitude) {
    form->SCTabControl1->SetTabIndex(tab);
    form->SCTabControl1Change();
    const int x = pixelX - form->HPos(), y = pixelY - form->VPos();
    form->Image1MouseDown(Qt::LeftButton, x, y);
    form->Image1DblClick();
    const int format = form->SCRadioGroup1->ItemIndex();
    const char sep = form->catalogue.decimalSeparator;
    const catalogue::CoordinateText lat = catalogue::FormatLatitude(latitude, format, sep);
    const catalogue::CoordinateText lon = catalogue::FormatLongitude(longitude, format, sep);
    form->SCMaskEdit1Enter();
    form->SCCombobox1->setCurrentIndex(lat.hemisphereItem);
    form->SCMaskEdit1->setText(QString::fromStdString(lat.text));
    form->SCMaskEdit2Enter();
    form->SCCombobox2->setCurrentIndex(lon.hemisphereItem);
    form->SCMaskEdit2->setText(QString::fromStdString(lon.text));
  }

  void SelectRow(int row) {
    form->StringGrid1->SetRow(row);
    ASSERT_EQ(form->catalogue.selectedMap, row - 1);
  }

  // The four calibration values as the map file writes them.
  std::string Calibration(int map) const {
    const catalogue::MapEntry& e = form->catalogue.entries[size_t(map)];
    return mapfiles::RealText(e.originLon) + mapfiles::RealText(e.originLat) +
           mapfiles::RealText(e.lonPerPixel) + mapfiles::RealText(e.latPerPixel);
  }

  TempDir dir;
};

TEST_F(EndToEndTest, CalibrateSaveRemoveAndLoadAgain) {
  const std::string west = dir.File("west.bmp"), east = dir.File("east.bmp");
  WriteBmpFile(west, 400, 300, 1);
  WriteBmpFile(east, 500, 200, 2);
  openDialog.answers.push_back({west, east});
  form->ImportImages1Click();
  ASSERT_EQ(form->catalogue.mapCount, 2);

  SelectRow(1);
  PlacePoint(0, 10, 20, 46.5, 7.25);
  PlacePoint(1, 390, 280, 46.44, 7.33);
  form->SCButton1Click();
  SelectRow(2);
  PlacePoint(0, 0, 0, -33.5, -70.75);  // south and west
  PlacePoint(1, 499, 199, -33.52, -70.70);
  form->SCButton1Click();
  ASSERT_TRUE(messages.messages.empty()) << messages.messages[0].text;
  ASSERT_EQ(form->catalogue.grid1.Cell(1, catalogue::ColR), "Y");
  ASSERT_EQ(form->catalogue.grid1.Cell(2, catalogue::ColR), "Y");
  const catalogue::MapEntry& second = form->catalogue.entries[1];
  EXPECT_NEAR(second.originLat, -33.5, 1e-9);
  EXPECT_NEAR(second.originLon, -70.75, 1e-9);
  EXPECT_NEAR(second.lonPerPixel, 0.05 / 499, 1e-12);
  const std::string calibrations[2] = {Calibration(0), Calibration(1)};
  const auto points = form->catalogue.points;

  saveDialog.answers.push_back({dir.File("both.gmap")});
  form->ExportAllMaps1Click();
  form->RemoveAll1Click();
  ASSERT_EQ(form->catalogue.mapCount, 0);

  openDialog.answers.push_back({dir.File("both.gmap")});
  form->I1Click();
  ASSERT_EQ(form->catalogue.mapCount, 2);
  for (int map = 0; map < 2; ++map) {
    EXPECT_EQ(form->catalogue.grid1.Cell(map + 1, catalogue::ColR), "Y");
    EXPECT_TRUE(form->catalogue.entries[size_t(map)].calibrated);
    EXPECT_EQ(Calibration(map), calibrations[map]);
    for (int k = 0; k < 2; ++k) {
      const catalogue::ReferencePoint& p = form->catalogue.points[size_t(map)][size_t(k)];
      EXPECT_EQ(p.pixelX, points[size_t(map)][size_t(k)].pixelX);
      EXPECT_EQ(p.pixelY, points[size_t(map)][size_t(k)].pixelY);
      EXPECT_NEAR(p.latitude, points[size_t(map)][size_t(k)].latitude, 1e-8);
      EXPECT_NEAR(p.longitude, points[size_t(map)][size_t(k)].longitude, 1e-8);
      EXPECT_TRUE(p.active);
    }
  }
  EXPECT_EQ(form->catalogue.grid1.Cell(1, catalogue::ColName), "west");
  EXPECT_EQ(form->catalogue.grid2.Cell(2, catalogue::ColMname), dir.File("both.gmap"));
}

TEST_F(EndToEndTest, SampleMapsToCreateRmp) {
  const std::string north = std::string(KAROVEL_EXAMPLES_DIR) + "/sample-north.png";
  const std::string east = std::string(KAROVEL_EXAMPLES_DIR) + "/sample-east.png";
  openDialog.answers.push_back({north, east});
  form->ImportImages1Click();
  ASSERT_EQ(form->catalogue.mapCount, 2) << (messages.messages.empty() ? "" : messages.messages[0].text);
  EXPECT_EQ(form->catalogue.grid1.Cell(1, 1), "1200x800");

  // The points the user guide names, read off the pictures' grid lines.
  SelectRow(1);
  PlacePoint(0, 100, 100, 46.99, 8.01);
  PlacePoint(1, 1100, 700, 46.93, 8.11);
  form->SCButton1Click();
  SelectRow(2);
  PlacePoint(0, 0, 0, 46.96, 8.10);
  PlacePoint(1, 999, 799, 46.8801, 8.1999);
  form->SCButton1Click();
  ASSERT_TRUE(messages.messages.empty()) << messages.messages[0].text;
  EXPECT_NEAR(form->catalogue.entries[0].originLon, 8.0, 1e-9);
  EXPECT_NEAR(form->catalogue.entries[0].originLat, 47.0, 1e-9);
  EXPECT_NEAR(form->catalogue.entries[1].lonPerPixel, 0.0001, 1e-12);

  form->Overview1Click();
  EXPECT_TRUE(form->overviewMode);

  const std::string rmp = dir.File("sample.rmp");
  saveDialog.answers.push_back({rmp});
  form->CreateROM1Click();
  ASSERT_TRUE(messages.messages.empty()) << messages.messages[0].text;
  ASSERT_TRUE(fs::exists(rmp));

  ::testing::internal::CaptureStdout();
  const int status = tools::RunInspect({rmp});
  const std::string listing = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, 0) << listing;
  for (const char* member :
       {"rmp\tini", "topo1\ttlm", "topo1\ta00", "topo2\ttlm", "topo2\ta00", "chunk\tics"})
    EXPECT_NE(listing.find(std::string("member\t") + member + "\t"), std::string::npos) << member << " in\n"
                                                                                        << listing;

  // The same maps written through a map file give karovel-rmp's bytes.
  saveDialog.answers.push_back({dir.File("sample.gmap")});
  form->ExportAllMaps1Click();
  form->RemoveAll1Click();
  openDialog.answers.push_back({dir.File("sample.gmap")});
  form->I1Click();
  ASSERT_EQ(form->catalogue.mapCount, 2);
  saveDialog.answers.push_back({dir.File("again.rmp")});
  form->CreateROM1Click();
  ASSERT_EQ(tools::RunBuild({"-o", dir.File("tool.rmp"), dir.File("sample.gmap")}), 0);
  EXPECT_EQ(ReadFile(dir.File("again.rmp")), ReadFile(dir.File("tool.rmp")));
}

}  // namespace
}  // namespace karovel::testing
