#include "ui/map_grid.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace karovel::ui {

// Asks the grid before the current index moves, whoever moves it (mouse, keys, code).
class MapGrid::GuardedSelection : public QItemSelectionModel {
 public:
  GuardedSelection(MapGrid& grid, QAbstractItemModel* model) : QItemSelectionModel(model), grid_(grid) {}

  void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override {
    refusing = false;
    if (!bypass && !grid_.AllowMove(index)) return;
    QItemSelectionModel::setCurrentIndex(index, command);
  }
  void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override {
    // A refused move must not move the highlight either.
    if (refusing) return;
    QItemSelectionModel::select(selection, command);
  }
  using QItemSelectionModel::select;

  bool bypass = false;
  bool refusing = false;

 private:
  MapGrid& grid_;
};

MapGrid::MapGrid(catalogue::CellTable& table, QWidget* parent) : QTableView(parent), model_(table) {
  setModel(&model_);
  selection_ = new GuardedSelection(*this, &model_);
  QItemSelectionModel* old = selectionModel();
  setSelectionModel(selection_);
  delete old;
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(8);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(16);
  horizontalHeader()->setMinimumSectionSize(4);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setFixedHeight(17);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setTabKeyNavigation(false);
  SetRowSelect(true);
  selection_->bypass = true;
  if (model_.rowCount() > 0)
    selection_->setCurrentIndex(model_.index(0, 0),
                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  selection_->bypass = false;
}

int MapGrid::Row() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() + 1 : 1;
}

int MapGrid::Col() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.column() : 0;
}

void MapGrid::SetRow(int row) {
  if (row < 1 || row >= RowCount()) return;
  setCurrentIndex(model_.index(row - 1, Col()));
  selection_->refusing = false;
}

void MapGrid::SetRowSelect(bool on) {
  rowSelect_ = on;
  setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(on ? QAbstractItemView::NoEditTriggers
                     : QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                           QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  const QModelIndex current = currentIndex();
  if (current.isValid()) {
    selection_->bypass = true;
    selection_->setCurrentIndex(current,
                                QItemSelectionModel::ClearAndSelect |
                                    (on ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
    selection_->bypass = false;
  }
}

bool MapGrid::MouseToCell(QPoint position, int& column, int& row) const {
  const QModelIndex index = indexAt(position);
  if (!index.isValid()) return false;
  column = index.column();
  row = index.row() + 1;
  return true;
}

bool MapGrid::AllowMove(const QModelIndex& to) {
  if (!to.isValid()) return true;
  const QModelIndex from = currentIndex();
  const bool changes = rowSelect_ ? (!from.isValid() || from.row() != to.row()) : (to != from);
  if (!changes || !selectCell) return true;
  bool canSelect = true;
  selectCell(to.column(), to.row() + 1, canSelect);
  // The view follows a refused click with a selection of the clicked cell; keep the old one.
  if (!canSelect) selection_->refusing = true;
  return canSelect;
}

void MapGrid::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  selection_->refusing = false;
}

void MapGrid::keyPressEvent(QKeyEvent* event) {
  QTableView::keyPressEvent(event);
  selection_->refusing = false;
}

void MapGrid::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  emit MouseUp(event->button(), event->pos().x(), event->pos().y());
}

void MapGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  emit DblClick();
}

}  // namespace karovel::ui
