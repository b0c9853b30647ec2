#include "ui/cell_table_model.h"

namespace karovel::ui {

CellTableModel::CellTableModel(catalogue::CellTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), rows_(std::max(0, table.RowCount() - 1)) {
  table_.cellChanged = [this](int row, int column) { CellChanged(row, column); };
  table_.rowCountChanged = [this] { RowCountChanged(); };
}

CellTableModel::~CellTableModel() {
  table_.cellChanged = nullptr;
  table_.rowCountChanged = nullptr;
}

int CellTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int CellTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.ColumnCount();
}

QVariant CellTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return QString::fromStdString(table_.Cell(index.row() + 1, index.column()));
}

QVariant CellTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return QString::fromStdString(table_.Cell(0, section));
  return section + 1;
}

bool CellTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  table_.SetCell(index.row() + 1, index.column(), value.toString().toStdString());
  return true;
}

Qt::ItemFlags CellTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void CellTableModel::CellChanged(int row, int column) {
  if (row == 0) {
    emit headerDataChanged(Qt::Horizontal, column, column);
    return;
  }
  if (row - 1 >= rows_) return;  // the row count hook follows
  const QModelIndex cell = index(row - 1, column);
  emit dataChanged(cell, cell);
}

void CellTableModel::RowCountChanged() {
  const int rows = std::max(0, table_.RowCount() - 1);
  if (rows > rows_) {
    beginInsertRows(QModelIndex(), rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  } else if (rows < rows_) {
    beginRemoveRows(QModelIndex(), rows, rows_ - 1);
    rows_ = rows;
    endRemoveRows();
  }
  // Cells of rows that stayed may have been cleared along with the count change.
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, table_.ColumnCount() - 1));
  emit headerDataChanged(Qt::Horizontal, 0, table_.ColumnCount() - 1);
}

}  // namespace karovel::ui
