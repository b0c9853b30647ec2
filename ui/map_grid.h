#pragma once
// The map grid: a table view over a CellTableModel with one header row, row selection that can be
// switched off for in-place editing, and a select-cell hook that runs before the current cell changes
// (by the user or by code) and may refuse the change.
#include <QItemSelectionModel>
#include <QTableView>
#include <functional>

#include "ui/cell_table_model.h"

namespace karovel::ui {

class MapGrid : public QTableView {
  Q_OBJECT
 public:
  explicit MapGrid(catalogue::CellTable& table, QWidget* parent = nullptr);

  CellTableModel& Model() { return model_; }
  catalogue::CellTable& Cells() { return model_.Table(); }

  // Grid coordinates: row 0 is the header, so the current row is at least 1.
  int Row() const;
  int Col() const;
  // Makes row the current row; the select-cell hook runs first when the row changes.
  void SetRow(int row);
  int RowCount() const { return model_.Table().RowCount(); }

  // Row selection on: whole rows are selected and cells are not edited. Off: single cells, editing.
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool on);

  // The grid cell under a position of the viewport; false outside every cell.
  bool MouseToCell(QPoint position, int& column, int& row) const;

  // (column, row, canSelect): set canSelect false to keep the current cell.
  std::function<void(int column, int row, bool& canSelect)> selectCell;

 signals:
  void MouseUp(Qt::MouseButton button, int x, int y);
  void DblClick();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  class GuardedSelection;
  bool AllowMove(const QModelIndex& to);

  CellTableModel model_;
  GuardedSelection* selection_;
  bool rowSelect_ = true;
};

}  // namespace karovel::ui
