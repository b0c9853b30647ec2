#include "ui/map_list_rules.h"

#include <gtest/gtest.h>

namespace karovel::ui {
namespace {

TEST(MapListRulesTest, NameFromImageFileDropsTheLastFourCharacters) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\maps\\valley.jpg", "valley"},
      {"/home/u/maps/valley.jpg", "valley"},
      {"/m/photo.jpeg", "photo."},  // only four characters go
      {"/m/a.b.tif", "a.b"},
      {"/m/abc", ""},  // shorter than four: nothing left
      {"/m/abcd", ""},
      {"/m/K\xC3\xA4se.png", "K\xC3\xA4se"},  // a two-byte letter before the cut stays whole
      {"/m/ab.p\xC3\xA9", "a"},               // and one inside the last four counts once
      {"C:\\x/y\\name.gif", "name"},          // either folder separator
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(NameFromImageFile(path), name) << path;
}

TEST(MapListRulesTest, ImageImportFilterEndsWithTheGifEntry) {
  const std::string filter = ImageImportFilter();
  const std::string gif = "|CompuServe Bitmap(*.gif)|*.gif";
  ASSERT_GT(filter.size(), gif.size());
  EXPECT_EQ(filter.substr(filter.size() - gif.size()), gif);
  EXPECT_EQ(filter.find("||"), std::string::npos);
}

TEST(MapListRulesTest, FirstUncalibratedRowReadsTheRCellsExactly) {
  catalogue::MapCatalogue catalogue;
  EXPECT_EQ(FirstUncalibratedRow(catalogue), 0);  // no maps: passes
  catalogue.mapCount = 4;
  catalogue.grid1.SetRowCount(14);
  for (int row = 1; row <= 4; ++row) catalogue.grid1.SetCell(row, catalogue::ColR, "Y");
  EXPECT_EQ(FirstUncalibratedRow(catalogue), 0);
  for (const char* text : {"N", "", " ", "y", "Y "}) {
    catalogue.grid1.SetCell(3, catalogue::ColR, text);
    EXPECT_EQ(FirstUncalibratedRow(catalogue), 3) << '"' << text << '"';
  }
  catalogue.grid1.SetCell(2, catalogue::ColR, "N");
  EXPECT_EQ(FirstUncalibratedRow(catalogue), 2);
  // Rows after the last map are not looked at.
  catalogue.grid1.SetCell(2, catalogue::ColR, "Y");
  catalogue.grid1.SetCell(3, catalogue::ColR, "Y");
  catalogue.grid1.SetCell(5, catalogue::ColR, "N");
  EXPECT_EQ(FirstUncalibratedRow(catalogue), 0);
}

}  // namespace
}  // namespace karovel::ui
