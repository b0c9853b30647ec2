#pragma once
// The program's one window: it owns the map catalogue, the working bitmap, every widget and the window
// state, and every user action enters through one of its handlers. The handlers are defined by subject:
// tform1.cpp (layout, menu, start-up, resize, help, about, progress), tform1_view.cpp (the view),
// tform1_points.cpp (the point panel), tform1_map_list.cpp (the map list commands),
// tform1_overview.cpp (the overview) and tform1_rmp.cpp (Create RMP).
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/message_sink.h"
#include "base/progress.h"
#include "catalogue/coordinate_format.h"
#include "catalogue/map_catalogue.h"
#include "image/image_loader.h"
#include "ui/file_dialog.h"
#include "ui/map_grid.h"
#include "ui/widgets.h"

namespace karovel::app {

// The Help and About texts.
extern const char* const HelpText;
extern const char* const AboutText;

// Lowest outer window height a resize may leave.
constexpr int MinimumOuterHeight = 620;
// Client area at start.
constexpr int DesignClientWidth = 888;
constexpr int DesignClientHeight = 582;

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // The sink shows the program's own boxes; the dialogs serve the file commands. All three must outlive
  // the window.
  TForm1(MessageSink& messages, ui::FileDialog& openDialog, ui::FileDialog& saveDialog,
         QWidget* parent = nullptr);
  ~TForm1() override;

  // ---- Owned data ----
  catalogue::MapCatalogue catalogue;
  image::ImageHost imageHost;  // holds the WorkingBitmap
  MessageSink& messages;
  ui::FileDialog& OpenDialog1;
  ui::FileDialog& SaveDialog1;
  catalogue::CoordinateMasks coordinateMasks;  // latitudeMasks, longitudeMasks

  // ---- Window state ----
  bool rowSelectLoads = false;
  bool removingAll = false;
  bool renameArmed = false;
  bool fillingEditors = false;
  bool latitudeEntered = false;
  bool longitudeEntered = false;
  int32_t pressX = 0, pressY = 0;
  int32_t pressHPos = 0, pressVPos = 0;
  bool overviewMode = false;
  double overviewMinLon = 0, overviewMaxLat = 0, overviewDegPerPixel = 0;
  int32_t overviewOffsetX = 0, overviewOffsetY = 0;
  std::string lastMapDir;
  std::string lastRmpDir;
  Progress progress;  // progressPercent, progressVisible

  // ---- Widgets (objectName = member name) ----
  QMenuBar* MainMenu1 = nullptr;
  QMenu* File1 = nullptr;
  QAction* ImportImages1 = nullptr;
  QMenu* I1 = nullptr;
  QAction* ImportMaps1 = nullptr;
  QAction* RemoveSelected3 = nullptr;
  QAction* SaveAllMaps1 = nullptr;
  QAction* N1 = nullptr;
  QAction* RemoveSelected1 = nullptr;
  QAction* RemoveAll1 = nullptr;
  QAction* N2 = nullptr;
  QAction* Exit1 = nullptr;
  QAction* Overview1 = nullptr;
  QAction* Action1 = nullptr;
  QAction* Help1 = nullptr;
  QAction* About1 = nullptr;

  QWidget* clientArea = nullptr;
  QFrame* Panel1 = nullptr;
  QFrame* Panel2 = nullptr;
  QFrame* Panel3 = nullptr;
  QFrame* Panel4 = nullptr;
  ui::ImageWidget* Image1 = nullptr;
  ui::ImageWidget* Image2 = nullptr;
  QScrollBar* SCScrollbar1 = nullptr;  // vertical: vPos
  QScrollBar* SCScrollbar2 = nullptr;  // horizontal: hPos
  QWidget* Bevel3 = nullptr;
  ui::StatusBar* SCStatusBar1 = nullptr;
  ui::StatusBar* SCStatusBar2 = nullptr;
  QProgressBar* SCProgress1 = nullptr;
  ui::MapGrid* StringGrid1 = nullptr;
  ui::MapGrid* StringGrid2 = nullptr;
  QLabel* Label5 = nullptr;
  QLineEdit* SCEdit1 = nullptr;
  QLabel* Label6 = nullptr;
  QLineEdit* SCEdit2 = nullptr;
  ui::TabControl* SCTabControl1 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* SCMaskEdit3 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* SCMaskEdit4 = nullptr;
  QCheckBox* SCCheckbox1 = nullptr;
  ui::RadioGroup* SCRadioGroup1 = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* SCMaskEdit1 = nullptr;
  QComboBox* SCCombobox1 = nullptr;
  QLabel* Label4 = nullptr;
  QLineEdit* SCMaskEdit2 = nullptr;
  QComboBox* SCCombobox2 = nullptr;
  QPushButton* SCButton1 = nullptr;
  QPushButton* SCButton2 = nullptr;
  std::array<QFrame*, 3> dividers{};
  std::vector<QIcon> ImageList1;                                          // tab icons, 25 x 25
  std::array<ui::ImageWidget*, catalogue::MaxReferencePoints> markers{};  // point markers over the view

  // Scroll positions and the current point.
  int32_t HPos() const { return SCScrollbar2->value(); }
  int32_t VPos() const { return SCScrollbar1->value(); }
  int CurrentPoint() const { return SCTabControl1->TabIndex(); }

  // ---- Start-up, resizing, menu (tform1.cpp) ----
  void FormCreate();
  // Whether the window may take this outer size; refused as a whole.
  bool FormCanResize(int newOuterWidth, int newOuterHeight) const;
  void FormResize();
  void Exit1Click();

  // ---- Help, About and progress (tform1.cpp) ----
  void Help1Click();
  void About1Click();
  void UpdateProgress();
  void ImageLoadProgress(LoadStage stage, int percent);

  // ---- Image view (tform1_view.cpp) ----
  void RedrawView();
  void SetScrollRanges();
  void PlaceMarker(int map, int point);
  void Image1MouseDown(Qt::MouseButton button, int x, int y);
  void Image1MouseMove(Qt::MouseButtons buttons, int x, int y);
  void SCScrollbar1Change();
  void SCScrollbar2Change();
  QRgb ViewBackground() const;             // the window's background, shown where the image ends
  QImage LensPicture(int x, int y) const;  // the lens for the cursor at view (x, y)

  // ---- Reference point editing (tform1_points.cpp) ----
  void BuildMarkers();
  void ShowReferencePoint(int map, int point);
  void ApplyCoordinateMasks(int format);  // the masks of one reference format on the two edits
  void ShowCoordinates(double latitude, double longitude);  // both edits and boxes, current format
  catalogue::ReferencePoint* CurrentReferencePoint();       // nullptr while no tab is current
  void SCTabControl1Change();
  void SCMaskEdit3Change();
  void SCMaskEdit4Change();
  void SCMaskEdit1Enter();
  void SCMaskEdit2Enter();
  void SCMaskEdit1Change();
  void SCMaskEdit2Change();
  void SCCombobox1Change();
  void SCCombobox2Change();
  void SCCheckBox1Click();
  void SCRadioGroup1Click();
  void Image1DblClick();
  void SCButton1Click();
  void SCButton2Click();

  // ---- Map list commands (tform1_map_list.cpp) ----
  void SelectMap(int row);
  void ClearMapDisplay();
  void StringGrid1SelectCell(int column, int row, bool& canSelect);
  void StringGrid1MouseUp(Qt::MouseButton button, int x, int y);
  void StringGrid1DblClick();
  void ImportImages1Click();
  void I1Click();
  void ExportSelectedMap1Click();
  void ExportAllMaps1Click();
  void RemoveSelected1Click();
  void RemoveAll1Click();

  // ---- Overview of maps (tform1_overview.cpp) ----
  void Overview1Click();

  // ---- RMP build (tform1_rmp.cpp) ----
  std::string rmpFileName;  // chosen in the last accepted RMP save dialog
  void CreateROM1Click();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateWidgets();
  void CreateMenu();
  void WireEvents();
  void LayoutClient();  // places the edge-aligned and filling widgets for the client size

  bool revertingResize_ = false;
};

}  // namespace karovel::app
