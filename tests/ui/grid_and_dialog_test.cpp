#include <QTest>

#include "tests/ui/window_fixture.h"
#include "ui/file_dialog.h"
#include "ui/map_grid.h"

namespace karovel::testing {
namespace {

// The select-cell hook runs before the current row moves, for code and for clicks, and can refuse.
class MapGridTest : public ::testing::Test {
 protected:
  MapGridTest() : grid(table) {
    grid.resize(196, 200);
    grid.selectCell = [this](int column, int row, bool& canSelect) {
      asked.push_back(row);
      seenRowBefore.push_back(grid.Row());
      (void)column;
      canSelect = allow;
    };
  }
  catalogue::CellTable table{4};
  ui::MapGrid grid;
  std::vector<int> asked, seenRowBefore;
  bool allow = true;
};

TEST_F(MapGridTest, CodeMoveAsksFirstAndOnlyOnARowChange) {
  grid.SetRow(3);
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(asked, std::vector<int>{3});
  EXPECT_EQ(seenRowBefore, std::vector<int>{1});
  grid.SetRow(3);
  EXPECT_EQ(asked.size(), 1u);
}

TEST_F(MapGridTest, RefusedMoveKeepsRowAndSelection) {
  allow = false;
  grid.SetRow(4);
  EXPECT_EQ(grid.Row(), 1);
  grid.show();
  ProcessEvents();
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(5, 0)).center());
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(asked, (std::vector<int>{4, 6}));
  const QModelIndexList selected = grid.selectionModel()->selectedRows();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected.front().row(), 0);
}

TEST_F(MapGridTest, ClickMovesAndEditsWriteBackWithRowSelectionOff) {
  grid.show();
  ProcessEvents();
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(1, 0)).center());
  EXPECT_EQ(grid.Row(), 2);
  grid.SetRowSelect(false);
  grid.model()->setData(grid.model()->index(1, 0), QStringLiteral("Renamed"), Qt::EditRole);
  EXPECT_EQ(table.Cell(2, 0), "Renamed");
  table.SetCell(3, 1, "x");
  EXPECT_EQ(grid.model()->index(2, 1).data().toString(), "x");
  table.SetRowCount(12);
  EXPECT_EQ(grid.model()->rowCount(), 11);
}

TEST(FileDialogTest, FiltersBecomeQtNameFilters) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ui::QtNameFilters("Wexa map files (*.gmap)|*.gmap| OZI map files (WGS8 only)(*.map)|*.map"),
            (V{"Wexa map files (*.gmap)", "OZI map files (WGS8 only) (*.map)"}));
  EXPECT_EQ(ui::QtNameFilters("All images|*.jpg;*.png|Bitmaps|*.bmp"),
            (V{"All images (*.jpg *.png)", "Bitmaps (*.bmp)"}));
  EXPECT_EQ(ui::QtNameFilters(""), V{});
  EXPECT_EQ(ui::QtDefaultSuffix("*.gmap"), "gmap");
  EXPECT_EQ(ui::QtDefaultSuffix(".rmp"), "rmp");
  EXPECT_EQ(ui::QtDefaultSuffix(""), "");
}

TEST(FileDialogTest, ScriptedDialogAnswersInOrderAndRecordsSettings) {
  ui::ScriptedFileDialog dialog;
  dialog.answers = {{"/a.gmap", "/b.gmap"}, {}};
  dialog.filter = "F|*.f";
  dialog.initialDir = "/maps";
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.files, (std::vector<std::string>{"/a.gmap", "/b.gmap"}));
  EXPECT_EQ(dialog.fileName, "/a.gmap");
  EXPECT_FALSE(dialog.Execute());      // an empty answer cancels
  EXPECT_EQ(dialog.files.size(), 2u);  // and leaves the last choice
  EXPECT_FALSE(dialog.Execute());      // so does an exhausted script
  ASSERT_EQ(dialog.opened.size(), 3u);
  EXPECT_EQ(dialog.opened[0].filter, "F|*.f");
  EXPECT_EQ(dialog.opened[0].initialDir, "/maps");
  EXPECT_EQ(dialog.opened[1].fileName, "/a.gmap");
}

}  // namespace
}  // namespace karovel::testing
