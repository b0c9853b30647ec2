#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>

#include "tests/ui/window_fixture.h"

namespace karovel::testing {
namespace {

using LayoutTest = WindowTest;

// Captions of a menu's actions in order, separators as "-", submenus as "caption>".
std::vector<std::string> Items(const QList<QAction*>& actions) {
  std::vector<std::string> out;
  for (QAction* a : actions) {
    if (a->isSeparator())
      out.push_back("-");
    else
      out.push_back(a->text().toStdString() + (a->menu() ? ">" : ""));
  }
  return out;
}

TEST_F(LayoutTest, MenuHasEveryItemInOrder) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Items(form->MainMenu1->actions()), (V{"File>", "Overview Maps", "Create RMP", "Help", "About"}));
  EXPECT_EQ(Items(form->File1->actions()),
            (V{"Import Image(s)", "Map>", "-", "Remove Selected Row", "Remove All", "-", "Exit"}));
  EXPECT_EQ(Items(form->I1->actions()), (V{"Import Map(s)", "Save Selected Map", "Save All Maps"}));
  // The menu bar's own items act when clicked: they are actions, not submenus.
  for (QAction* a : {form->Overview1, form->Action1, form->Help1, form->About1})
    EXPECT_EQ(a->menu(), nullptr);
}

TEST_F(LayoutTest, MenuItemsAndWidgetsCarryTheirNames) {
  const char* actions[] = {"ImportImages1", "ImportMaps1", "RemoveSelected3",
                           "SaveAllMaps1",  "N1",          "RemoveSelected1",
                           "RemoveAll1",    "N2",          "Exit1",
                           "Overview1",     "Action1",     "Help1",
                           "About1",        "File1",       "I1"};
  for (const char* name : actions)
    EXPECT_NE(form->findChild<QAction*>(QString::fromLatin1(name)), nullptr) << name;
  const char* widgets[] = {"Panel1",       "Panel2",       "Panel3",        "Panel4",        "Image1",
                           "Image2",       "SCScrollbar1", "SCScrollbar2",  "Bevel3",        "SCStatusBar1",
                           "SCStatusBar2", "SCProgress1",  "StringGrid1",   "StringGrid2",   "Label1",
                           "Label2",       "Label3",       "Label4",        "Label5",        "Label6",
                           "SCEdit1",      "SCEdit2",      "SCTabControl1", "SCMaskEdit1",   "SCMaskEdit2",
                           "SCMaskEdit3",  "SCMaskEdit4",  "SCCheckbox1",   "SCRadioGroup1", "SCCombobox1",
                           "SCCombobox2",  "SCButton1",    "SCButton2"};
  for (const char* name : widgets)
    EXPECT_NE(form->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
}

struct Placement {
  const char* name;
  QRect geometry;
};

class PlacementTest : public WindowTest, public ::testing::WithParamInterface<Placement> {};

TEST_P(PlacementTest, WidgetSitsWhereTheLayoutPutsIt) {
  Show();
  const QWidget* widget = form->findChild<QWidget*>(QString::fromLatin1(GetParam().name));
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->geometry(), GetParam().geometry);
}

INSTANTIATE_TEST_SUITE_P(
    DesignSize, PlacementTest,
    ::testing::Values(
        Placement{"Panel1", {687, 0, 201, 562}}, Placement{"Panel2", {0, 562, 888, 20}},
        Placement{"Panel3", {0, 0, 687, 562}}, Placement{"Image1", {2, 2, 665, 558}},
        Placement{"Image2", {69, 80, 75, 75}}, Placement{"SCScrollbar1", {667, 2, 18, 558}},
        Placement{"SCScrollbar2", {1, 1, 662, 18}}, Placement{"Bevel3", {663, 1, 24, 18}},
        Placement{"Panel4", {687, 1, 200, 18}}, Placement{"SCStatusBar2", {0, 0, 200, 19}},
        Placement{"SCProgress1", {0, 0, 200, 18}}, Placement{"StringGrid1", {2, 2, 196, 135}},
        Placement{"SCEdit1", {8, 168, 185, 20}}, Placement{"SCEdit2", {9, 208, 184, 20}},
        Placement{"SCTabControl1", {0, 255, 201, 287}}, Placement{"SCStatusBar1", {0, 542, 201, 20}},
        Placement{"SCMaskEdit3", {24, 32, 56, 19}}, Placement{"SCMaskEdit4", {104, 32, 56, 19}},
        Placement{"SCCheckbox1", {176, 32, 17, 17}}, Placement{"SCRadioGroup1", {8, 61, 185, 73}},
        Placement{"SCMaskEdit1", {8, 150, 101, 19}}, Placement{"SCCombobox1", {136, 150, 49, 19}},
        Placement{"SCMaskEdit2", {8, 182, 113, 19}}, Placement{"SCCombobox2", {136, 182, 49, 19}},
        Placement{"SCButton1", {8, 232, 72, 25}}, Placement{"SCButton2", {104, 232, 72, 25}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LayoutTest, GridHasItsColumnsRowsAndEditing) {
  const int widths[] = {62, 59, 39, 12};
  for (int c = 0; c < 4; ++c) EXPECT_EQ(form->StringGrid1->columnWidth(c), widths[c]);
  EXPECT_EQ(form->StringGrid1->rowHeight(0), 16);
  EXPECT_EQ(form->StringGrid1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(form->StringGrid1->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_TRUE(form->StringGrid1->model()->flags(form->StringGrid1->model()->index(0, 0)) &
              Qt::ItemIsEditable);
}

TEST_F(LayoutTest, ItemsAndCaptionsOfThePointPanel) {
  EXPECT_EQ(form->SCRadioGroup1->title(), "Reference Format");
  ASSERT_EQ(form->SCRadioGroup1->ItemCount(), 3);
  EXPECT_EQ(form->SCRadioGroup1->Item(0)->text(), "0.00 Deg");
  EXPECT_EQ(form->SCRadioGroup1->Item(1)->text(), "00 Deg, 00.0000 Min");
  EXPECT_EQ(form->SCRadioGroup1->Item(2)->text(), "00 Deg 00 Min 00.00 Sec");
  EXPECT_EQ(form->SCButton1->text(), "Calibrate");
  EXPECT_EQ(form->SCButton2->text(), "Remove");
  EXPECT_EQ(form->Label3->text(), "Latitude");
  EXPECT_EQ(form->Label4->text(), "Longitude");
  EXPECT_EQ(form->Label5->text(), "Image File");
  EXPECT_EQ(form->Label6->text(), "Map File");
  EXPECT_EQ(form->SCCombobox2->count(), 2);
  EXPECT_EQ(form->SCCombobox2->itemText(1), "W");
  EXPECT_TRUE(form->SCEdit1->isReadOnly());
  EXPECT_EQ(form->SCStatusBar1->PanelCount(), 2);
  EXPECT_EQ(form->SCStatusBar2->font().family(), "Tahoma");
  EXPECT_EQ(form->SCProgress1->minimum(), 0);
  EXPECT_EQ(form->SCProgress1->maximum(), 100);
}

}  // namespace
}  // namespace karovel::testing
