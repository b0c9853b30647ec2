// "Overview Maps" through the window.
#include <gtest/gtest.h>

#include "catalogue/coordinate_format.h"
#include "mapfiles/map_file.h"
#include "tests/support/image_writers.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/window_fixture.h"
#include "ui/overview_render.h"

namespace karovel::testing {
namespace {

using Message = RecordingMessageSink::Message;

class OverviewWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Show();
  }

  // Maps from a .gmap file: each (lon, lat, lonPerPixel, latPerPixel) on a 200 x 100 picture.
  void ImportMaps(const std::vector<std::array<double, 4>>& calibrations) {
    std::string text;
    for (size_t i = 0; i < calibrations.size(); ++i) {
      const std::string image = dir.File("m" + std::to_string(i) + ".bmp");
      WriteBmpFile(image, 200, 100, uint32_t(i + 1));
      const auto& c = calibrations[i];
      text += "Path=" + image + "\r\nWexaname=m" + std::to_string(i) + "\r\nCalib=1\r\n" +
              mapfiles::RealText(c[0]) + " " + mapfiles::RealText(c[1]) + " " + mapfiles::RealText(c[2]) +
              " " + mapfiles::RealText(c[3]) + "\r\n" +
              "0 0 0 0 0\r\n0 0 0 0 0\r\n0 0 0 0 0\r\n0 0 0 0 0\r\n0 0 0 0 0\r\n";
    }
    WriteTextFile(dir.File("maps.gmap"), text);
    openDialog.answers.push_back({dir.File("maps.gmap")});
    form->I1Click();
    ASSERT_EQ(form->catalogue.mapCount, int(calibrations.size()));
  }

  // What the overview should show for the catalogue as it stands.
  QImage Expected() const {
    std::vector<ui::OverviewBounds> maps;
    std::vector<std::string> names;
    for (int i = 0; i < form->catalogue.mapCount; ++i) {
      maps.push_back(ui::MapBounds(form->catalogue.entries[size_t(i)]));
      names.push_back(form->catalogue.grid1.Cell(i + 1, catalogue::ColName));
    }
    auto g = ui::LayOutOverview(maps, form->Image1->width(), form->Image1->height(), nullptr);
    EXPECT_TRUE(g);
    return g ? ui::DrawOverview(*g, maps, names, form->Image1->font()) : QImage();
  }

  TempDir dir;
};

TEST_F(OverviewWindowTest, DrawsEveryMapAndKeepsTheGeometry) {
  ImportMaps({{8.0, 47.0, 0.0001, -0.0001}, {8.03, 46.995, 0.0001, -0.0001}});
  form->StringGrid1->SetRow(2);
  const image::WorkingBitmap* bitmap = form->imageHost.workingBitmap.get();
  form->Overview1Click();
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_TRUE(form->overviewMode);
  EXPECT_EQ(form->Image1->Picture(), Expected());
  EXPECT_DOUBLE_EQ(form->overviewMinLon, 8.0);
  EXPECT_DOUBLE_EQ(form->overviewMaxLat, 47.0);
  EXPECT_GT(form->overviewDegPerPixel, 0);
  // The map display is cleared; the working bitmap and the selection stay.
  EXPECT_EQ(form->SCEdit1->text(), "");
  EXPECT_FALSE(form->Image2->isVisible());
  EXPECT_EQ(form->imageHost.workingBitmap.get(), bitmap);
  EXPECT_EQ(form->catalogue.selectedMap, 1);
}

TEST_F(OverviewWindowTest, ARenamedMapShowsItsNewName) {
  ImportMaps({{8.0, 47.0, 0.0001, -0.0001}});
  const QImage before = Expected();
  form->StringGrid1->Model().setData(form->StringGrid1->Model().index(0, catalogue::ColName),
                                     QString("Renamed map"), Qt::EditRole);
  form->Overview1Click();
  EXPECT_EQ(form->Image1->Picture(), Expected());
  EXPECT_NE(form->Image1->Picture(), before);
}

TEST_F(OverviewWindowTest, AnUncalibratedRowKeepsThePreviousView) {
  ImportMaps({{8.0, 47.0, 0.0001, -0.0001}, {8.05, 46.97, 0.0001, -0.0001}});
  form->catalogue.grid1.SetCell(2, catalogue::ColR, "N");  // the grid decides, not the flag
  QImage view(form->Image1->size(), QImage::Format_RGB32);
  view.fill(Qt::darkGreen);
  form->Image1->SetPicture(view);
  form->Overview1Click();
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], (Message{"All maps should be calibrated", "Warning"}));
  EXPECT_FALSE(form->overviewMode);
  EXPECT_EQ(form->Image1->Picture(), view);
}

TEST_F(OverviewWindowTest, DegenerateCasesAreRefusedWithAWarning) {
  // All maps on one meridian: no longitude to scale.
  ImportMaps({{8.0, 47.0, 0, -0.0001}});
  form->Overview1Click();
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], (Message{ui::OverviewNoExtentMessage, "Warning"}));
  EXPECT_FALSE(form->overviewMode);
}

TEST_F(OverviewWindowTest, AnEmptyCatalogueGivesPlainSilver) {
  form->Overview1Click();
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_TRUE(form->overviewMode);
  const QImage picture = form->Image1->Picture();
  ASSERT_EQ(picture.size(), form->Image1->size());
  EXPECT_EQ(picture.pixel(0, 0) | 0xFF000000, ui::OverviewSilver);
  EXPECT_EQ(picture.pixel(picture.width() - 1, picture.height() - 1) | 0xFF000000, ui::OverviewSilver);
}

TEST_F(OverviewWindowTest, ReadOutAtTheMarginsGivesTheNorthWestBounds) {
  ImportMaps({{8.0, 47.0, 0.0001, -0.0001}, {8.05, 46.97, 0.0001, -0.0001}});
  form->Overview1Click();
  ASSERT_TRUE(form->overviewMode);
  form->Image1MouseMove(Qt::NoButton, form->overviewOffsetX, form->overviewOffsetY);
  const char sep = form->catalogue.decimalSeparator;
  EXPECT_EQ(form->SCStatusBar1->PanelText(0), "X:0");
  EXPECT_EQ(form->SCStatusBar1->PanelText(1), "Y:0");
  EXPECT_EQ(form->SCStatusBar2->PanelText(0).toStdString(), catalogue::FormatCursorLatitude(47.0, 0, sep));
  EXPECT_EQ(form->SCStatusBar2->PanelText(1).toStdString(), catalogue::FormatCursorLongitude(8.0, 0, sep));
}

TEST_F(OverviewWindowTest, APressOnTheViewShowsTheSelectedMapAgain) {
  ImportMaps({{8.0, 47.0, 0.0001, -0.0001}});
  const QImage map = form->Image1->Picture();
  form->Overview1Click();
  ASSERT_NE(form->Image1->Picture(), map);
  form->Image1MouseDown(Qt::LeftButton, 10, 10);
  EXPECT_FALSE(form->overviewMode);
  EXPECT_EQ(form->Image1->Picture(), map);
}

}  // namespace
}  // namespace karovel::testing
