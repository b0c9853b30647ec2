#include <QLabel>

#include "tests/ui/window_fixture.h"

namespace karovel::testing {
namespace {

using StartupTest = WindowTest;

TEST_F(StartupTest, GridShowsHeaderAndNineEmptyRows) {
  const ui::MapGrid& grid = *form->StringGrid1;
  ASSERT_EQ(form->StringGrid1->RowCount(), 10);
  EXPECT_EQ(grid.model()->rowCount(), 9);
  const char* headers[] = {"Img Name", "Size", "MB", "R"};
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(grid.model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(),
              headers[c]);
    for (int r = 0; r < 9; ++r) EXPECT_TRUE(grid.model()->index(r, c).data().toString().isEmpty());
  }
  EXPECT_EQ(form->StringGrid1->Row(), 1);
  EXPECT_TRUE(form->StringGrid1->RowSelect());
  EXPECT_EQ(form->catalogue.grid2.Cell(0, 0), "Fname");
  EXPECT_EQ(form->catalogue.grid2.Cell(0, 1), "Mname");
  EXPECT_TRUE(form->StringGrid2->isHidden());
  EXPECT_EQ(form->catalogue.mapCount, 0);
  EXPECT_EQ(form->catalogue.selectedMap, 0);
}

TEST_F(StartupTest, PointPanelShowsZeroNorthEastOnTabOne) {
  EXPECT_EQ(form->SCTabControl1->TabCount(), 5);
  EXPECT_EQ(form->SCTabControl1->TabIndex(), 0);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(form->SCTabControl1->Tabs()->tabText(i).toStdString(), std::to_string(i + 1));
  const char sep = form->catalogue.decimalSeparator;
  EXPECT_EQ(form->SCMaskEdit1->text().toStdString(), catalogue::FormatLatitude(0, 0, sep).text);
  EXPECT_EQ(form->SCMaskEdit2->text().toStdString(), catalogue::FormatLongitude(0, 0, sep).text);
  EXPECT_EQ(form->SCCombobox1->currentText(), "N");
  EXPECT_EQ(form->SCCombobox2->currentText(), "E");
  EXPECT_EQ(form->SCRadioGroup1->ItemIndex(), 0);
  EXPECT_FALSE(form->SCCheckbox1->isChecked());
  EXPECT_TRUE(form->SCMaskEdit3->text().isEmpty());
  EXPECT_TRUE(form->SCMaskEdit4->text().isEmpty());
}

TEST_F(StartupTest, NothingShowsOnTheViewAndTheStateIsInitial) {
  Show();
  EXPECT_FALSE(form->Image1->HasPicture());
  EXPECT_FALSE(form->Image2->isVisible());
  for (ui::ImageWidget* marker : form->markers) {
    if (!marker) continue;
    EXPECT_FALSE(marker->isVisible());
  }
  EXPECT_FALSE(form->SCProgress1->isVisible());
  EXPECT_TRUE(form->SCStatusBar2->isVisible());
  EXPECT_FALSE(form->imageHost.workingBitmap);
  EXPECT_FALSE(form->overviewMode);
  EXPECT_FALSE(form->rowSelectLoads);
  EXPECT_TRUE(form->lastMapDir.empty());
  EXPECT_TRUE(form->lastRmpDir.empty());
  EXPECT_EQ(form->progress.progressPercent, 0);
  EXPECT_FALSE(form->progress.progressVisible);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(StartupTest, StartupEchoesChangeNoStoredData) {
  for (const auto& slot : form->catalogue.points)
    for (const catalogue::ReferencePoint& p : slot) {
      EXPECT_EQ(p.pixelX, 0);
      EXPECT_EQ(p.pixelY, 0);
      EXPECT_EQ(p.latitude, 0);
      EXPECT_EQ(p.longitude, 0);
      EXPECT_FALSE(p.active);
    }
  for (const catalogue::MapEntry& e : form->catalogue.entries) {
    EXPECT_EQ(e.originLon, 0);
    EXPECT_EQ(e.latPerPixel, 0);
    EXPECT_EQ(e.imageWidth, 0);
    EXPECT_FALSE(e.calibrated);
  }
}

TEST_F(StartupTest, WindowIsTitledAndHasItsDesignClientArea) {
  Show();
  EXPECT_EQ(form->windowTitle(), "Karovel");
  EXPECT_EQ(form->clientArea->size(), QSize(app::DesignClientWidth, app::DesignClientHeight));
}

}  // namespace
}  // namespace karovel::testing
