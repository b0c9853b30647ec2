// The map list: row selection, renaming, imports, saves and removal.
#include "app/tform1.h"
#include "base/file_io.h"
#include "catalogue/coordinate_format.h"
#include "mapfiles/load_map_files.h"
#include "mapfiles/map_file.h"
#include "mapfiles/ozi_import.h"
#include "ui/map_list_rules.h"

namespace karovel::app {

namespace {

using catalogue::ColFname;
using catalogue::ColMname;

// Passes every message on, but says once per command that the list is full: a long import into a full
// list would otherwise raise the same box for every file or record.
class FullOnceSink : public MessageSink {
 public:
  explicit FullOnceSink(MessageSink& target) : target_(target) {}
  void Show(const std::string& text, const std::string& caption) override {
    if (text == catalogue::CatalogueFullMessage) {
      if (full) return;
      full = true;
    }
    target_.Show(text, caption);
  }
  bool full = false;

 private:
  MessageSink& target_;
};

// An import keeps rows from loading while it runs; whatever ends it, selecting a row loads again.
class RowSelectLoadsOff {
 public:
  explicit RowSelectLoadsOff(bool& flag) : flag_(flag) { flag_ = false; }
  ~RowSelectLoadsOff() { flag_ = true; }
  RowSelectLoadsOff(const RowSelectLoadsOff&) = delete;
  RowSelectLoadsOff& operator=(const RowSelectLoadsOff&) = delete;

 private:
  bool& flag_;
};

// Shows a map row as selecting it does: its map, then its two file cells.
void ShowMapRow(TForm1& form, int row) {
  form.SelectMap(row);
  form.SCEdit1->setText(QString::fromStdString(form.catalogue.grid2.Cell(row, ColFname)));
  form.SCEdit2->setText(QString::fromStdString(form.catalogue.grid2.Cell(row, ColMname)));
}

// After an import: the current row, the first map the command added, is shown, or the file edits are
// emptied when it holds no map.
void ShowImportedRow(TForm1& form) {
  const int row = form.StringGrid1->Row();
  if (form.catalogue.HasMap(row)) {
    ShowMapRow(form, row);
  } else {
    form.SCEdit1->clear();
    form.SCEdit2->clear();
  }
}

// Asks for a .gmap file and writes the records of grid rows first to last into it.
void WriteMapFile(TForm1& form, int firstRow, int lastRow) {
  ui::FileDialog& dialog = form.SaveDialog1;
  dialog.filter = mapfiles::MapFileFilter;
  dialog.defaultExtension = mapfiles::MapFileDefaultExtension;
  dialog.fileName.clear();
  if (!dialog.Execute()) return;
  const std::string path = mapfiles::WithDefaultExtension(dialog.fileName, dialog.defaultExtension);
  mapfiles::WriteMapFileRows(form.catalogue, firstRow, lastRow, path);
}

}  // namespace

void TForm1::SelectMap(int row) {
  // The loader repaints the window before it decodes, so the window looks settled during a long load.
  if (removingAll) return;
  if (!image::LoadWorkingImage(imageHost, catalogue.grid2.Cell(row, ColFname))) return;
  SetScrollRanges();
  catalogue.selectedMap = row - 1;
  Image2->show();
  RedrawView();
  ShowReferencePoint(catalogue.selectedMap, CurrentPoint());
}

void TForm1::ClearMapDisplay() {
  fillingEditors = true;
  Image1->ClearPicture();
  SCEdit1->clear();
  SCEdit2->clear();
  SCCheckbox1->setChecked(false);
  SCCombobox1->setCurrentIndex(0);
  SCCombobox2->setCurrentIndex(0);
  SCMaskEdit3->setText("0");
  SCMaskEdit4->setText("0");
  const int format = SCRadioGroup1->ItemIndex();
  SCMaskEdit1->setText(
      QString::fromStdString(catalogue::FormatLatitude(0, format, catalogue.decimalSeparator).text));
  SCMaskEdit2->setText(
      QString::fromStdString(catalogue::FormatLongitude(0, format, catalogue.decimalSeparator).text));
  for (ui::ImageWidget* marker : markers)
    if (marker) marker->hide();
  Image2->hide();
  fillingEditors = false;
}

void TForm1::StringGrid1SelectCell(int /*column*/, int row, bool& canSelect) {
  if (!StringGrid1->RowSelect()) {
    // A rename is in progress: this attempt only ends it.
    StringGrid1->SetRowSelect(true);
    canSelect = false;
    return;
  }
  if (catalogue.HasMap(row)) {
    if (rowSelectLoads) SelectMap(row);
    SCEdit1->setText(QString::fromStdString(catalogue.grid2.Cell(row, ColFname)));
    SCEdit2->setText(QString::fromStdString(catalogue.grid2.Cell(row, ColMname)));
  } else if (rowSelectLoads) {
    ClearMapDisplay();
  }
}

void TForm1::StringGrid1MouseUp(Qt::MouseButton /*button*/, int x, int y) {
  int column = -1, row = -1;
  const int current = StringGrid1->Row();
  renameArmed = catalogue.HasMap(current) && StringGrid1->MouseToCell(QPoint(x, y), column, row) &&
                row == current && column == catalogue::ColName;
}

void TForm1::StringGrid1DblClick() {
  if (!renameArmed) return;
  StringGrid1->SetRowSelect(false);
  // The name cell opens for editing at once; what is typed there becomes the map's name.
  StringGrid1->edit(StringGrid1->Model().index(StringGrid1->Row() - 1, catalogue::ColName));
}

void TForm1::ImportImages1Click() {
  OpenDialog1.filter = ui::ImageImportFilter();
  RowSelectLoadsOff importing(rowSelectLoads);
  if (!OpenDialog1.Execute()) return;
  const std::vector<std::string> files = OpenDialog1.files;
  StringGrid1->SetRow(catalogue.mapCount + 1);
  FullOnceSink sink(messages);
  for (const std::string& file : files) {
    catalogue::AddMap(catalogue, imageHost, sink, file, ui::NameFromImageFile(file), "");
    if (sink.full) break;
  }
  ShowImportedRow(*this);
}

void TForm1::I1Click() {
  OpenDialog1.filter = ui::MapImportFilter;
  OpenDialog1.defaultExtension = ui::MapImportDefaultExtension;
  OpenDialog1.fileName.clear();
  OpenDialog1.initialDir = lastMapDir;
  RowSelectLoadsOff importing(rowSelectLoads);
  StringGrid1->SetRow(catalogue.mapCount + 1);
  if (!OpenDialog1.Execute()) return;
  const std::vector<std::string> files = OpenDialog1.files;
  if (!files.empty()) lastMapDir = FolderPart(files.front());
  FullOnceSink sink(messages);
  for (const std::string& file : files) {
    switch (mapfiles::KindOfMapFile(file)) {
      case mapfiles::MapFileKind::MapFile:
        mapfiles::ReadMapFile(catalogue, imageHost, sink, file);
        break;
      case mapfiles::MapFileKind::OziMap:
        mapfiles::ImportOziMap(catalogue, imageHost, sink, file);
        break;
      case mapfiles::MapFileKind::None:
        break;  // another extension, or the right one in other letters: skipped without a word
    }
    ShowImportedRow(*this);
    if (sink.full) break;
  }
}

void TForm1::ExportSelectedMap1Click() {
  const int row = StringGrid1->Row();
  WriteMapFile(*this, row, row);
}

void TForm1::ExportAllMaps1Click() { WriteMapFile(*this, 1, catalogue.mapCount); }

void TForm1::RemoveSelected1Click() {
  const int row = StringGrid1->Row();
  if (catalogue.HasMap(row)) {
    if (catalogue.selectedMap == row - 1) {
      catalogue.points[size_t(row - 1)].fill(catalogue::ReferencePoint{});
      ShowReferencePoint(catalogue.selectedMap, 0);
    }
    catalogue::RemoveMap(catalogue, row);
    if (catalogue.HasMap(row))
      ShowMapRow(*this, row);
    else
      ClearMapDisplay();
  }
  StringGrid1->SetRowSelect(true);
  renameArmed = false;
}

void TForm1::RemoveAll1Click() {
  removingAll = true;
  Image1->ClearPicture();
  imageHost.workingBitmap.reset();
  SCScrollbar1->setValue(0);
  SCScrollbar2->setValue(0);
  catalogue::ClearCatalogue(catalogue);
  SCCheckbox1->setChecked(false);
  for (int point = 0; point < catalogue::MaxReferencePoints; ++point)
    PlaceMarker(catalogue.selectedMap, point);
  catalogue.selectedMap = 0;
  ShowReferencePoint(0, 0);
  ClearMapDisplay();
  removingAll = false;
}

}  // namespace karovel::app
