#include "catalogue/cell_table.h"

namespace karovel::catalogue {

void CellTable::SetRowCount(int rows) {
  if (rows < 0) rows = 0;
  if (rows == RowCount()) return;
  cells_.resize(static_cast<size_t>(rows), std::vector<std::string>(static_cast<size_t>(columns_)));
  if (rowCountChanged) rowCountChanged();
}

const std::string& CellTable::Cell(int row, int column) const {
  static const std::string empty;
  if (row < 0 || row >= RowCount() || column < 0 || column >= columns_) return empty;
  return cells_[size_t(row)][size_t(column)];
}

void CellTable::SetCell(int row, int column, const std::string& text) {
  if (row < 0 || row >= RowCount() || column < 0 || column >= columns_) return;
  std::string& cell = cells_[size_t(row)][size_t(column)];
  if (cell == text) return;
  cell = text;
  if (cellChanged) cellChanged(row, column);
}

void CellTable::ClearAll() {
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < columns_; ++c) SetCell(r, c, std::string());
}

}  // namespace karovel::catalogue
