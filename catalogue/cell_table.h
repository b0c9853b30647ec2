#pragma once
// The text cells of one map grid (StringGrid1 or StringGrid2), held with the catalogue. The window shows
// them through a Qt model; the hooks tell it what changed.
#include <functional>
#include <string>
#include <vector>

namespace karovel::catalogue {

class CellTable {
 public:
  explicit CellTable(int columns, int rows = 10) : columns_(columns) { SetRowCount(rows); }

  int ColumnCount() const { return columns_; }
  int RowCount() const { return static_cast<int>(cells_.size()); }
  // Rows added are empty; rows taken away are lost.
  void SetRowCount(int rows);
  // Out-of-range cells read as "" and ignore writes.
  const std::string& Cell(int row, int column) const;
  void SetCell(int row, int column, const std::string& text);
  void ClearAll();

  std::function<void(int row, int column)> cellChanged;
  std::function<void()> rowCountChanged;

 private:
  int columns_;
  std::vector<std::vector<std::string>> cells_;
};

}  // namespace karovel::catalogue
