#pragma once
// Shows a catalogue CellTable in a Qt view: table row 0 is the header, rows 1.. are the model's rows
// 0.. (grid row r is model row r - 1). In-place edits are written back into the table.
#include <QAbstractTableModel>

#include "catalogue/cell_table.h"

namespace karovel::ui {

class CellTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Takes over the table's change hooks; the table must outlive the model.
  explicit CellTableModel(catalogue::CellTable& table, QObject* parent = nullptr);
  ~CellTableModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  catalogue::CellTable& Table() { return table_; }
  const catalogue::CellTable& Table() const { return table_; }

 private:
  void CellChanged(int row, int column);
  void RowCountChanged();

  catalogue::CellTable& table_;
  int rows_;  // data rows the view knows of
};

}  // namespace karovel::ui
