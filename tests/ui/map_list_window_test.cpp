// The map list commands driven through the window with scripted dialogs.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <filesystem>

#include "catalogue/map_catalogue.h"
#include "tests/support/image_writers.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/window_fixture.h"
#include "ui/map_list_rules.h"

namespace karovel::testing {
namespace {

using catalogue::ColFname;
using catalogue::ColMname;
using catalogue::ColName;
using catalogue::ColR;
using Message = RecordingMessageSink::Message;

// Sends a press and a release (and, for a double click, the second press as a double click) to the
// grid's cell, as the mouse would.
void Click(ui::MapGrid* grid, int row, int column, bool twice = false) {
  const QPoint at = grid->visualRect(grid->Model().index(row - 1, column)).center();
  QWidget* viewport = grid->viewport();
  auto send = [&](QEvent::Type type) {
    QMouseEvent event(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &event);
  };
  send(QEvent::MouseButtonPress);
  send(QEvent::MouseButtonRelease);
  if (twice) {
    send(QEvent::MouseButtonDblClick);
    send(QEvent::MouseButtonRelease);
  }
}

class MapListTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Show();
  }

  // A small BMP picture; size and seed tell the maps apart.
  std::string Image(const std::string& name, int width, int height, uint32_t seed = 1) {
    const std::string path = dir.File(name);
    WriteBmpFile(path, width, height, seed);
    return path;
  }

  void ImportImages(std::vector<std::string> files) {
    openDialog.answers.push_back(std::move(files));
    form->ImportImages1Click();
  }

  const catalogue::MapCatalogue& Cat() const { return form->catalogue; }
  std::string Cell1(int row, int column) const { return Cat().grid1.Cell(row, column); }
  std::string Cell2(int row, int column) const { return Cat().grid2.Cell(row, column); }
  int Row() const { return form->StringGrid1->Row(); }
  const image::WorkingBitmap* Bitmap() const { return form->imageHost.workingBitmap.get(); }
  std::string Edit1() const { return form->SCEdit1->text().toStdString(); }
  std::string Edit2() const { return form->SCEdit2->text().toStdString(); }
  bool AnyMarkerVisible() const {
    for (const auto* marker : form->markers)
      if (marker && marker->isVisible()) return true;
    return false;
  }

  TempDir dir;
};

TEST_F(MapListTest, ThreeImagesIntoAnEmptyCatalogue) {
  const std::string a = Image("alpha.bmp", 40, 30, 1), b = Image("beta.bmp", 50, 20, 2),
                    c = Image("gamma.bmp", 30, 60, 3);
  ImportImages({a, b, c});
  ASSERT_EQ(Cat().mapCount, 3);
  EXPECT_EQ(Cell1(1, ColName), "alpha");
  EXPECT_EQ(Cell1(2, ColName), "beta");
  EXPECT_EQ(Cell1(3, ColName), "gamma");
  EXPECT_EQ(Cell1(2, 1), "50x20");
  EXPECT_EQ(Cell1(3, ColR), "N");
  EXPECT_EQ(Cell2(1, ColMname), " ");
  EXPECT_EQ(Cat().grid1.RowCount(), 13);
  EXPECT_EQ(Row(), 1);
  EXPECT_EQ(Cat().selectedMap, 0);
  ASSERT_TRUE(Bitmap());
  EXPECT_EQ(Bitmap()->width, 40);  // the first image is loaded again
  EXPECT_FALSE(AnyMarkerVisible());
  EXPECT_EQ(Edit1(), a);
  EXPECT_EQ(Edit2(), " ");
  EXPECT_TRUE(form->rowSelectLoads);
  EXPECT_TRUE(messages.messages.empty());
  ASSERT_EQ(openDialog.opened.size(), 1u);
  EXPECT_EQ(openDialog.opened[0].filter, ui::ImageImportFilter());
}

TEST_F(MapListTest, ImportingIntoAListAppendsAndShowsTheFirstNewRow) {
  ImportImages({Image("one.bmp", 10, 10)});
  const std::string two = Image("two.bmp", 12, 10), three = Image("three.bmp", 14, 10);
  ImportImages({two, three});
  ASSERT_EQ(Cat().mapCount, 3);
  EXPECT_EQ(Row(), 2);
  EXPECT_EQ(Cat().selectedMap, 1);
  EXPECT_EQ(Bitmap()->width, 12);
  EXPECT_EQ(Edit1(), two);
}

TEST_F(MapListTest, CancelledDialogs) {
  const std::string a = Image("a.bmp", 10, 10), b = Image("b.bmp", 20, 10);
  ImportImages({a, b});
  form->StringGrid1->SetRow(2);
  ASSERT_EQ(Cat().selectedMap, 1);

  openDialog.answers.push_back({});  // Import Image(s) cancelled: nothing changes
  form->ImportImages1Click();
  EXPECT_EQ(Row(), 2);
  EXPECT_EQ(Cat().mapCount, 2);
  EXPECT_TRUE(form->rowSelectLoads);

  openDialog.answers.push_back({});  // Import Map(s) cancelled: the first empty row is current
  form->I1Click();
  EXPECT_EQ(Row(), 3);
  EXPECT_EQ(Cat().mapCount, 2);
  EXPECT_TRUE(form->rowSelectLoads);
  EXPECT_TRUE(messages.messages.empty());

  // Rows load as usual afterwards.
  Click(form->StringGrid1, 1, ColName);
  EXPECT_EQ(Row(), 1);
  EXPECT_EQ(Cat().selectedMap, 0);
  EXPECT_EQ(Bitmap()->width, 10);
  EXPECT_EQ(Edit1(), a);
}

TEST_F(MapListTest, OnlyUnloadableFiles) {
  const std::string missing = dir.File("missing.bmp"), junk = dir.File("junk.png");
  WriteTextFile(junk, "no picture here");
  ImportImages({missing, junk});
  EXPECT_EQ(Cat().mapCount, 0);
  EXPECT_EQ(Row(), 1);
  EXPECT_EQ(Edit1(), "");
  EXPECT_EQ(Edit2(), "");
  ASSERT_EQ(messages.messages.size(), 2u);
  EXPECT_EQ(messages.messages[0], (Message{"Cannot load image\r\nmissing.bmp", "Error"}));
  EXPECT_EQ(messages.messages[1].caption, "Error");
  EXPECT_TRUE(form->rowSelectLoads);
}

TEST_F(MapListTest, NamesLoseTheirLastFourCharacters) {
  const std::string photo = dir.File("photo.jpeg");
  WriteFile(photo, EncodeJpeg(PatternImage(16, 16)));
  const std::string longName = Image("abcdefghijklmn.bmp", 8, 8);
  ImportImages({photo, longName});
  ASSERT_EQ(Cat().mapCount, 2);
  EXPECT_EQ(Cell1(1, ColName), "photo.");
  EXPECT_EQ(Cell1(2, ColName), "abcdefghij");  // and the catalogue keeps 10 of them
}

TEST_F(MapListTest, ImportMapsReadsOnlyExactLowerCaseExtensions) {
  const std::string image = Image("valley.bmp", 20, 10);
  const std::string record = "Path=" + image + "\r\nWexaname=valley\r\nCalib=0\r\n" +
                             std::string("0 0 0 0 0\r\n") +
                             "0 0 0 0 0\r\n0 0 0 0 0\r\n0 0 0 0 0\r\n0 0 0 0 0\r\n";
  for (const char* name : {"upper.GMAP", "mixed.Gmap", "upper.MAP", "other.txt"})
    WriteTextFile(dir.File(name), record);
  WriteTextFile(dir.File("good.gmap"), record);
  openDialog.answers.push_back(
      {dir.File("upper.GMAP"), dir.File("mixed.Gmap"), dir.File("upper.MAP"), dir.File("other.txt")});
  form->I1Click();
  EXPECT_EQ(Cat().mapCount, 0);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(Edit1(), "");
  ASSERT_EQ(openDialog.opened.size(), 1u);
  EXPECT_EQ(openDialog.opened[0].filter, ui::MapImportFilter);
  EXPECT_EQ(openDialog.opened[0].defaultExtension, "*.gmap");
  EXPECT_EQ(openDialog.opened[0].fileName, "");
  EXPECT_EQ(openDialog.opened[0].initialDir, "");

  openDialog.answers.push_back({dir.File("good.gmap")});
  form->I1Click();
  ASSERT_EQ(Cat().mapCount, 1);
  EXPECT_EQ(Cell2(1, ColMname), dir.File("good.gmap"));
  EXPECT_EQ(Row(), 1);
  EXPECT_EQ(Cat().selectedMap, 0);
  EXPECT_EQ(Edit2(), dir.File("good.gmap"));
  // The folder of the first chosen file opens the next dialog.
  EXPECT_EQ(form->lastMapDir, dir.path());
  openDialog.answers.push_back({});
  form->I1Click();
  EXPECT_EQ(openDialog.opened.back().initialDir, dir.path());
}

TEST_F(MapListTest, ADamagedMapFileEndsTheImportButRowsLoadAgain) {
  const std::string image = Image("valley.bmp", 20, 10);
  WriteTextFile(dir.File("bad.gmap"), "Path=" + image + "\r\nWexaname=v\r\nCalib=1\r\nx y z w\r\n");
  openDialog.answers.push_back({dir.File("bad.gmap")});
  EXPECT_ANY_THROW(form->I1Click());
  EXPECT_TRUE(form->rowSelectLoads);
  EXPECT_EQ(Cat().mapCount, 0);
}

TEST_F(MapListTest, RemovingTheOnlyMapClearsTheDisplay) {
  ImportImages({Image("only.bmp", 30, 30)});
  form->Image1->SetPicture(QImage(30, 30, QImage::Format_RGB32));
  form->RemoveSelected1Click();
  EXPECT_EQ(Cat().mapCount, 0);
  EXPECT_EQ(Cat().grid1.RowCount(), 11);  // removing never takes a row away
  EXPECT_EQ(Cell1(1, ColName), "");
  EXPECT_FALSE(form->Image1->HasPicture());
  EXPECT_FALSE(form->Image2->isVisible());
  EXPECT_EQ(Edit1(), "");
  EXPECT_EQ(form->SCMaskEdit3->text(), "0");
  EXPECT_EQ(form->SCMaskEdit4->text(), "0");
  EXPECT_FALSE(form->SCCheckbox1->isChecked());
}

TEST_F(MapListTest, RemovingRowTwoOfThreeSelectsTheMapThatFollowed) {
  const std::string a = Image("a.bmp", 10, 10), b = Image("b.bmp", 20, 10), c = Image("c.bmp", 30, 10);
  ImportImages({a, b, c});
  // Give map 2 a point: it must leave with its map, map 3's points must come along.
  form->catalogue.points[2][1] = {5, 6, 1.5, 2.5, true};
  form->catalogue.points[0][0] = {1, 2, 3, 4, true};
  form->StringGrid1->SetRow(2);
  form->RemoveSelected1Click();
  ASSERT_EQ(Cat().mapCount, 2);
  EXPECT_EQ(Cell1(2, ColName), "c");
  EXPECT_EQ(Cell1(3, ColName), "");
  EXPECT_EQ(Row(), 2);
  EXPECT_EQ(Cat().selectedMap, 1);
  EXPECT_EQ(Bitmap()->width, 30);
  EXPECT_EQ(Edit1(), c);
  EXPECT_EQ(Cat().points[1][1].pixelX, 5);
  EXPECT_TRUE(Cat().points[1][1].active);
  EXPECT_EQ(Cat().points[0][0].pixelY, 2);  // other maps keep their points
  EXPECT_FALSE(Cat().points[2][1].active);
}

TEST_F(MapListTest, RemoveSelectedRowOnAnEmptyRowOnlyEndsARename) {
  ImportImages({Image("a.bmp", 10, 10)});
  form->StringGrid1->SetRow(4);
  form->StringGrid1->SetRowSelect(false);
  form->renameArmed = true;
  form->RemoveSelected1Click();
  EXPECT_EQ(Cat().mapCount, 1);
  EXPECT_EQ(Cell1(1, ColName), "a");
  EXPECT_TRUE(form->StringGrid1->RowSelect());
  EXPECT_FALSE(form->renameArmed);
}

TEST_F(MapListTest, RenameByDoubleClickAndTheClickThatEndsIt) {
  const std::string a = Image("first.bmp", 10, 10), b = Image("second.bmp", 20, 10);
  ImportImages({a, b});
  // A release on another column arms nothing.
  Click(form->StringGrid1, 1, 1);
  EXPECT_FALSE(form->renameArmed);
  Click(form->StringGrid1, 1, ColName);
  EXPECT_TRUE(form->renameArmed);
  Click(form->StringGrid1, 1, ColName, /*twice=*/true);
  ASSERT_FALSE(form->StringGrid1->RowSelect());
  // The name cell's editor is open; what is typed becomes the name, without the catalogue's limit of 10.
  auto* editor = form->StringGrid1->viewport()->findChild<QLineEdit*>();
  ASSERT_TRUE(editor);
  editor->setText("Long new name");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(editor, &enter);
  ProcessEvents();  // the view commits a finished edit from the event loop
  EXPECT_EQ(Cell1(1, ColName), "Long new name");
  EXPECT_EQ(Cell1(2, ColName), "second");

  // The first click on another row only ends the rename.
  Click(form->StringGrid1, 2, ColName);
  EXPECT_TRUE(form->StringGrid1->RowSelect());
  EXPECT_EQ(Row(), 1);
  EXPECT_EQ(Cat().selectedMap, 0);
  // The next one selects.
  Click(form->StringGrid1, 2, ColName);
  EXPECT_EQ(Row(), 2);
  EXPECT_EQ(Cat().selectedMap, 1);
  EXPECT_EQ(Edit1(), b);
}

TEST_F(MapListTest, ADoubleClickWithoutTheArmingReleaseRenamesNothing) {
  ImportImages({Image("a.bmp", 10, 10), Image("b.bmp", 10, 10)});
  Click(form->StringGrid1, 2, 2, /*twice=*/true);  // size column
  EXPECT_TRUE(form->StringGrid1->RowSelect());
  form->StringGrid1->SetRow(5);
  Click(form->StringGrid1, 5, ColName, true);  // an empty row
  EXPECT_FALSE(form->renameArmed);
  EXPECT_TRUE(form->StringGrid1->RowSelect());
}

TEST_F(MapListTest, RemoveAllResetsEverything) {
  ImportImages({Image("a.bmp", 300, 300), Image("b.bmp", 400, 300)});
  form->catalogue.points[0][0] = {7, 8, 9, 10, true};
  form->SCScrollbar1->setValue(40);
  form->SCScrollbar2->setValue(-30);
  form->RemoveAll1Click();
  EXPECT_EQ(form->SCScrollbar1->value(), 0);
  EXPECT_EQ(form->SCScrollbar2->value(), 0);
  EXPECT_EQ(Cat().mapCount, 0);
  EXPECT_EQ(Cat().selectedMap, 0);
  EXPECT_EQ(Cat().grid1.RowCount(), 10);
  EXPECT_EQ(Cat().grid2.RowCount(), 10);
  EXPECT_EQ(Cell1(0, ColName), "Img Name");
  EXPECT_EQ(Cell1(0, ColR), "R");
  EXPECT_EQ(Cell2(0, ColMname), "Mname");
  EXPECT_EQ(Cell1(1, ColName), "");
  EXPECT_EQ(Bitmap(), nullptr);
  EXPECT_FALSE(form->Image1->HasPicture());
  EXPECT_FALSE(AnyMarkerVisible());
  EXPECT_FALSE(Cat().points[0][0].active);
  EXPECT_EQ(form->SCMaskEdit3->text(), "0");
  EXPECT_EQ(form->SCMaskEdit4->text(), "0");
  EXPECT_FALSE(form->SCCheckbox1->isChecked());
  EXPECT_EQ(form->SCCombobox1->currentIndex(), 0);
  EXPECT_EQ(form->SCCombobox2->currentIndex(), 0);
  EXPECT_FALSE(form->removingAll);
  // And the list takes maps again.
  ImportImages({Image("c.bmp", 10, 10)});
  EXPECT_EQ(Cat().mapCount, 1);
  EXPECT_EQ(Bitmap()->width, 10);
}

TEST_F(MapListTest, TheTwentySecondMapIsRefusedOnce) {
  std::vector<std::string> files;
  for (int i = 0; i < 20; ++i) files.push_back(Image("m" + std::to_string(i) + ".bmp", 8, 8, uint32_t(i)));
  ImportImages(files);
  ASSERT_EQ(Cat().mapCount, 20);
  ImportImages({Image("x21.bmp", 8, 8), Image("x22.bmp", 8, 8), Image("x23.bmp", 8, 8)});
  EXPECT_EQ(Cat().mapCount, catalogue::MaxMaps);
  EXPECT_EQ(Cell1(21, ColName), "x21");
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], (Message{catalogue::CatalogueFullMessage, "Error"}));
  EXPECT_EQ(Row(), 21);
  EXPECT_EQ(Cat().selectedMap, 20);
}

TEST_F(MapListTest, SaveSelectedAndSaveAllWriteTheirRows) {
  const std::string a = Image("a.bmp", 10, 10), b = Image("b.bmp", 20, 10);
  ImportImages({a, b});
  form->StringGrid1->SetRow(2);
  saveDialog.answers.push_back({dir.File("selected")});  // typed without extension
  form->ExportSelectedMap1Click();
  const std::string one = ReadTextFile(dir.File("selected.gmap"));
  EXPECT_EQ(one.rfind("Path=" + b + "\r\nWexaname=b\r\nCalib=0\r\n", 0), 0u);
  EXPECT_EQ(one.find("Path=", 1), std::string::npos);
  ASSERT_EQ(saveDialog.opened.size(), 1u);
  EXPECT_EQ(saveDialog.opened[0].filter, "Wexa map files (*.gmap)|*.gmap");
  EXPECT_EQ(saveDialog.opened[0].defaultExtension, "*.gmap");

  saveDialog.answers.push_back({dir.File("all.gmap")});
  form->ExportAllMaps1Click();
  const std::string all = ReadTextFile(dir.File("all.gmap"));
  EXPECT_EQ(all.find("Path=" + a), 0u);
  EXPECT_NE(all.find("Path=" + b), std::string::npos);

  saveDialog.answers.push_back({});  // cancelled: nothing written
  form->ExportAllMaps1Click();
  EXPECT_FALSE(std::filesystem::exists(dir.File(".gmap")));
}

}  // namespace
}  // namespace karovel::testing
