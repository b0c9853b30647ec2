// The window's layout, menu, start-up, resizing, Help, About and progress.
#include "app/tform1.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QResizeEvent>
#include <QScreen>
#include <algorithm>

namespace karovel::app {

const char* const HelpText =
    "For more help, read the user guide that comes with the program: docs/USER-GUIDE.md\r\n"
    "\r\n"
    "\r\n"
    "Definitions:\r\n"
    "Image: uncalibrated bitmap image (jpeg, gif, bmp)\r\n"
    "Map: The Image(s) and calibration info\r\n"
    "     The map contains calib. data and link to the image(s)\r\n"
    "\r\n"
    "Usage:\r\n"
    "a) Import image(s)\r\n"
    "b) Create calibration points (2-5) for each image\r\n"
    "use more points and larger distance between points for accuracy\r\n"
    "c) Click \"calibrate\"\r\n"
    "When map is calibrated the \"Y\" appears in the grid\r\n"
    "The calibrated map can be saved/loaded via \"File-Map\" menu\r\n"
    "When all images are calibrated, click \"Create RMP\" menu\r\n"
    "\r\n"
    "Misc.:\r\n"
    "To change name in the grid (map) dbl click the cell in the grid \r\n"
    "To move image use scrollbars or hold left button and move the mouse\r\n"
    "To insert calibration point dbl click on the image\r\n"
    "To remove calibration point uncheck checkbox\r\n"
    "To see how all maps are located relative to each other click \"Overview Maps\"\r\n";

const char* const AboutText =
    "Karovel \r\n"
    "version 1.5\r\n"
    "\r\n"
    "Made by the Karovel developers; the user guide is docs/USER-GUIDE.md\r\n"
    "\r\n"
    "\r\n"
    "";

namespace {

// The user's decimal separator as one byte; '.' when the locale's is not a plain ASCII character.
char UserDecimalSeparator() {
  const QString point = QString(QLocale().decimalPoint());
  if (point.size() == 1 && point[0].unicode() < 128) return char(point[0].unicode());
  return '.';
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QAction* NamedAction(QObject* parent, const char* name, const QString& caption) {
  auto* action = new QAction(caption, parent);
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

QFrame* Divider(QWidget* parent, const char* name, int x, int y, int width) {
  auto* line = Named(new QFrame(parent), name);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setGeometry(x, y, width, 2);
  return line;
}

QLabel* TextLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = Named(new QLabel(text, parent), name);
  label->move(x, y);
  label->adjustSize();
  return label;
}

QFont StatusFont() {
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(8);
  return font;
}

}  // namespace

TForm1::TForm1(MessageSink& messageSink, ui::FileDialog& openDialog, ui::FileDialog& saveDialog,
               QWidget* parent)
    : QMainWindow(parent), messages(messageSink), OpenDialog1(openDialog), SaveDialog1(saveDialog) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Karovel"));
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  setFont(font);

  imageHost.messages = &messages;
  imageHost.progress = [this](LoadStage stage, int percent) { ImageLoadProgress(stage, percent); };
  imageHost.repaint = [this] { repaint(); };
  progress.show = [this](int32_t percent, bool visible) {
    SCProgress1->setValue(std::clamp(percent, 0, 100));
    SCProgress1->setVisible(visible);
    SCProgress1->repaint();
  };

  CreateMenu();
  CreateWidgets();
  WireEvents();
  FormCreate();

  // Client area at its design size, the window centred on the screen.
  resize(DesignClientWidth, DesignClientHeight + MainMenu1->sizeHint().height());
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

TForm1::~TForm1() {
  // The widgets show and edit members (the grids show the catalogue's cells): they must go while those
  // members still exist, not after them in the base class's destructor.
  clientArea->removeEventFilter(this);
  delete clientArea;
}

void TForm1::CreateMenu() {
  MainMenu1 = Named(menuBar(), "MainMenu1");
  File1 = Named(new QMenu(QStringLiteral("File"), this), "File1");
  File1->menuAction()->setObjectName(QStringLiteral("File1"));
  ImportImages1 = NamedAction(this, "ImportImages1", QStringLiteral("Import Image(s)"));
  I1 = Named(new QMenu(QStringLiteral("Map"), this), "I1");
  I1->menuAction()->setObjectName(QStringLiteral("I1"));
  ImportMaps1 = NamedAction(this, "ImportMaps1", QStringLiteral("Import Map(s)"));
  RemoveSelected3 = NamedAction(this, "RemoveSelected3", QStringLiteral("Save Selected Map"));
  SaveAllMaps1 = NamedAction(this, "SaveAllMaps1", QStringLiteral("Save All Maps"));
  RemoveSelected1 = NamedAction(this, "RemoveSelected1", QStringLiteral("Remove Selected Row"));
  RemoveAll1 = NamedAction(this, "RemoveAll1", QStringLiteral("Remove All"));
  Exit1 = NamedAction(this, "Exit1", QStringLiteral("Exit"));
  Overview1 = NamedAction(this, "Overview1", QStringLiteral("Overview Maps"));
  Action1 = NamedAction(this, "Action1", QStringLiteral("Create RMP"));
  Help1 = NamedAction(this, "Help1", QStringLiteral("Help"));
  About1 = NamedAction(this, "About1", QStringLiteral("About"));

  File1->addAction(ImportImages1);
  I1->addAction(ImportMaps1);
  I1->addAction(RemoveSelected3);
  I1->addAction(SaveAllMaps1);
  File1->addMenu(I1);
  N1 = File1->addSeparator();
  N1->setObjectName(QStringLiteral("N1"));
  File1->addAction(RemoveSelected1);
  File1->addAction(RemoveAll1);
  N2 = File1->addSeparator();
  N2->setObjectName(QStringLiteral("N2"));
  File1->addAction(Exit1);

  MainMenu1->addMenu(File1);
  // These four act when clicked on the menu bar itself.
  MainMenu1->addAction(Overview1);
  MainMenu1->addAction(Action1);
  MainMenu1->addAction(Help1);
  MainMenu1->addAction(About1);
}

void TForm1::CreateWidgets() {
  clientArea = Named(new QWidget(this), "clientArea");
  setCentralWidget(clientArea);
  clientArea->installEventFilter(this);

  Panel1 = Named(new QFrame(clientArea), "Panel1");
  Panel1->setFrameShape(QFrame::NoFrame);
  Panel2 = Named(new QFrame(clientArea), "Panel2");
  Panel2->setFrameShape(QFrame::Panel);
  Panel2->setFrameShadow(QFrame::Raised);
  Panel2->setLineWidth(1);
  Panel3 = Named(new QFrame(clientArea), "Panel3");
  Panel3->setFrameShape(QFrame::Panel);
  Panel3->setFrameShadow(QFrame::Sunken);
  Panel3->setLineWidth(2);

  // The view and what lies over it.
  Image1 = Named(new ui::ImageWidget(Panel3), "Image1");
  SCScrollbar1 = Named(new QScrollBar(Qt::Vertical, Panel3), "SCScrollbar1");
  Image2 = Named(new ui::ImageWidget(Panel3), "Image2");
  Image2->stretch = true;
  Image2->setGeometry(69, 80, 75, 75);
  Image2->hide();

  // The lower strip.
  SCScrollbar2 = Named(new QScrollBar(Qt::Horizontal, Panel2), "SCScrollbar2");
  for (QScrollBar* bar : {SCScrollbar1, SCScrollbar2}) {
    bar->setRange(0, 100);
    bar->setValue(0);
  }
  Bevel3 = Named(new QWidget(Panel2), "Bevel3");
  Panel4 = Named(new QFrame(Panel2), "Panel4");
  Panel4->setFrameShape(QFrame::NoFrame);
  SCStatusBar2 = Named(new ui::StatusBar({85, 100}, Panel4), "SCStatusBar2");
  SCStatusBar2->setFont(StatusFont());
  SCStatusBar2->setGeometry(0, 0, 200, 19);
  SCProgress1 = Named(new QProgressBar(Panel4), "SCProgress1");
  SCProgress1->setRange(0, 100);
  SCProgress1->setValue(0);
  SCProgress1->setTextVisible(false);
  SCProgress1->setGeometry(0, 0, 200, 18);
  QPalette teal = SCProgress1->palette();
  teal.setColor(QPalette::Highlight, QColor(0, 128, 128));
  SCProgress1->setPalette(teal);
  SCProgress1->setStyleSheet(
      QStringLiteral("QProgressBar { border: 1px solid gray; background: white; }"
                     "QProgressBar::chunk { background-color: rgb(0, 128, 128); }"));
  SCProgress1->hide();

  // The map list.
  StringGrid1 = Named(new ui::MapGrid(catalogue.grid1, Panel1), "StringGrid1");
  StringGrid1->setGeometry(2, 2, 196, 135);
  const int widths[] = {62, 59, 39, 12};
  for (int c = 0; c < 4; ++c) StringGrid1->setColumnWidth(c, widths[c]);
  dividers[0] = Divider(Panel1, "Divider1", 4, 144, 193);
  Label5 = TextLabel(Panel1, "Label5", QStringLiteral("Image File"), 8, 152);
  SCEdit1 = Named(new QLineEdit(Panel1), "SCEdit1");
  SCEdit1->setGeometry(8, 168, 185, 20);
  Label6 = TextLabel(Panel1, "Label6", QStringLiteral("Map File"), 8, 194);
  SCEdit2 = Named(new QLineEdit(Panel1), "SCEdit2");
  SCEdit2->setGeometry(9, 208, 184, 20);
  for (QLineEdit* edit : {SCEdit1, SCEdit2}) {
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setContextMenuPolicy(Qt::NoContextMenu);
  }
  dividers[1] = Divider(Panel1, "Divider2", 4, 240, 193);

  // The point panel.
  SCTabControl1 = Named(new ui::TabControl(Panel1), "SCTabControl1");
  QWidget* tabs = SCTabControl1;
  Label1 = TextLabel(tabs, "Label1", QStringLiteral("X"), 8, 35);
  SCMaskEdit3 = Named(new QLineEdit(tabs), "SCMaskEdit3");
  SCMaskEdit3->setGeometry(24, 32, 56, 19);
  Label2 = TextLabel(tabs, "Label2", QStringLiteral("Y"), 88, 35);
  SCMaskEdit4 = Named(new QLineEdit(tabs), "SCMaskEdit4");
  SCMaskEdit4->setGeometry(104, 32, 56, 19);
  SCCheckbox1 = Named(new QCheckBox(tabs), "SCCheckbox1");
  SCCheckbox1->setGeometry(176, 32, 17, 17);
  SCRadioGroup1 = Named(new ui::RadioGroup(QStringLiteral("Reference Format"),
                                           {QStringLiteral("0.00 Deg"), QStringLiteral("00 Deg, 00.0000 Min"),
                                            QStringLiteral("00 Deg 00 Min 00.00 Sec")},
                                           tabs),
                        "SCRadioGroup1");
  SCRadioGroup1->setGeometry(8, 61, 185, 73);
  Label3 = TextLabel(tabs, "Label3", QStringLiteral("Latitude"), 8, 136);
  SCMaskEdit1 = Named(new QLineEdit(tabs), "SCMaskEdit1");
  SCMaskEdit1->setGeometry(8, 150, 101, 19);
  QFont nine = SCMaskEdit1->font();
  nine.setPointSize(9);
  SCMaskEdit1->setFont(nine);
  SCCombobox1 = Named(new QComboBox(tabs), "SCCombobox1");
  SCCombobox1->addItems({QStringLiteral("N"), QStringLiteral("S")});
  SCCombobox1->setGeometry(136, 150, 49, 19);
  Label4 = TextLabel(tabs, "Label4", QStringLiteral("Longitude"), 8, 168);
  SCMaskEdit2 = Named(new QLineEdit(tabs), "SCMaskEdit2");
  SCMaskEdit2->setGeometry(8, 182, 113, 19);
  SCCombobox2 = Named(new QComboBox(tabs), "SCCombobox2");
  SCCombobox2->addItems({QStringLiteral("E"), QStringLiteral("W")});
  SCCombobox2->setGeometry(136, 182, 49, 19);
  dividers[2] = Divider(tabs, "Divider3", 8, 214, 185);
  SCButton1 = Named(new QPushButton(QStringLiteral("Calibrate"), tabs), "SCButton1");
  SCButton1->setGeometry(8, 232, 72, 25);
  SCButton2 = Named(new QPushButton(QStringLiteral("Remove"), tabs), "SCButton2");
  SCButton2->setGeometry(104, 232, 72, 25);
  StringGrid2 = Named(new ui::MapGrid(catalogue.grid2, tabs), "StringGrid2");
  StringGrid2->hide();

  SCStatusBar1 = Named(new ui::StatusBar({85, 100}, Panel1), "SCStatusBar1");
  SCStatusBar1->setFont(StatusFont());

  SCMaskEdit1->installEventFilter(this);
  SCMaskEdit2->installEventFilter(this);
  clientArea->resize(DesignClientWidth, DesignClientHeight);
  LayoutClient();
}

void TForm1::LayoutClient() {
  const int w = clientArea->width(), h = clientArea->height();
  const int stripHeight = 20, listWidth = 201;
  Panel2->setGeometry(0, h - stripHeight, w, stripHeight);
  Panel1->setGeometry(w - listWidth, 0, listWidth, h - stripHeight);
  Panel3->setGeometry(0, 0, std::max(0, w - listWidth), h - stripHeight);

  // Inside the bevels of Panel3: the view left of the vertical scrollbar.
  const int inner = 2, barWidth = 18;
  const int viewHeight = std::max(0, Panel3->height() - 2 * inner);
  SCScrollbar1->setGeometry(Panel3->width() - inner - barWidth, inner, barWidth, viewHeight);
  Image1->setGeometry(inner, inner, std::max(0, Panel3->width() - 2 * inner - barWidth), viewHeight);

  // Panel2, inside its 1-pixel bevel: scrollbar, spacer, then the status area at the right edge.
  const int stripInner = stripHeight - 2;
  Panel4->setGeometry(w - 1 - 200, 1, 200, stripInner);
  Bevel3->setGeometry(Panel4->x() - 24, 1, 24, stripInner);
  SCScrollbar2->setGeometry(1, 1, std::max(0, Bevel3->x() - 1), stripInner);

  // Panel1 from the bottom: status bar, point panel.
  SCStatusBar1->setGeometry(0, Panel1->height() - 20, listWidth, 20);
  SCTabControl1->setGeometry(0, SCStatusBar1->y() - 287, listWidth, 287);
}

void TForm1::WireEvents() {
  connect(ImportImages1, &QAction::triggered, this, [this] { ImportImages1Click(); });
  connect(ImportMaps1, &QAction::triggered, this, [this] { I1Click(); });
  connect(RemoveSelected3, &QAction::triggered, this, [this] { ExportSelectedMap1Click(); });
  connect(SaveAllMaps1, &QAction::triggered, this, [this] { ExportAllMaps1Click(); });
  connect(RemoveSelected1, &QAction::triggered, this, [this] { RemoveSelected1Click(); });
  connect(RemoveAll1, &QAction::triggered, this, [this] { RemoveAll1Click(); });
  connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
  connect(Overview1, &QAction::triggered, this, [this] { Overview1Click(); });
  connect(Action1, &QAction::triggered, this, [this] { CreateROM1Click(); });
  connect(Help1, &QAction::triggered, this, [this] { Help1Click(); });
  connect(About1, &QAction::triggered, this, [this] { About1Click(); });

  connect(Image1, &ui::ImageWidget::MouseDown, this,
          [this](Qt::MouseButton button, int x, int y) { Image1MouseDown(button, x, y); });
  connect(Image1, &ui::ImageWidget::MouseMove, this,
          [this](Qt::MouseButtons buttons, int x, int y) { Image1MouseMove(buttons, x, y); });
  connect(Image1, &ui::ImageWidget::DblClick, this, [this] { Image1DblClick(); });
  connect(SCScrollbar1, &QScrollBar::valueChanged, this, [this] { SCScrollbar1Change(); });
  connect(SCScrollbar2, &QScrollBar::valueChanged, this, [this] { SCScrollbar2Change(); });

  StringGrid1->selectCell = [this](int column, int row, bool& canSelect) {
    StringGrid1SelectCell(column, row, canSelect);
  };
  connect(StringGrid1, &ui::MapGrid::MouseUp, this,
          [this](Qt::MouseButton button, int x, int y) { StringGrid1MouseUp(button, x, y); });
  connect(StringGrid1, &ui::MapGrid::DblClick, this, [this] { StringGrid1DblClick(); });

  connect(SCTabControl1, &ui::TabControl::Change, this, [this] { SCTabControl1Change(); });
  connect(SCRadioGroup1, &ui::RadioGroup::Click, this, [this] { SCRadioGroup1Click(); });
  connect(SCMaskEdit1, &QLineEdit::textChanged, this, [this] { SCMaskEdit1Change(); });
  connect(SCMaskEdit2, &QLineEdit::textChanged, this, [this] { SCMaskEdit2Change(); });
  connect(SCMaskEdit3, &QLineEdit::textChanged, this, [this] { SCMaskEdit3Change(); });
  connect(SCMaskEdit4, &QLineEdit::textChanged, this, [this] { SCMaskEdit4Change(); });
  connect(SCCombobox1, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
          [this] { SCCombobox1Change(); });
  connect(SCCombobox2, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
          [this] { SCCombobox2Change(); });
  connect(SCCheckbox1, &QCheckBox::toggled, this, [this] { SCCheckBox1Click(); });
  connect(SCButton1, &QPushButton::clicked, this, [this] { SCButton1Click(); });
  connect(SCButton2, &QPushButton::clicked, this, [this] { SCButton2Click(); });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == clientArea && event->type() == QEvent::Resize) {
    LayoutClient();
  } else if (event->type() == QEvent::FocusIn) {
    if (watched == SCMaskEdit1) SCMaskEdit1Enter();
    if (watched == SCMaskEdit2) SCMaskEdit2Enter();
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormCreate() {
  lastMapDir.clear();
  lastRmpDir.clear();
  overviewMode = false;
  SCCombobox1->setCurrentIndex(0);
  catalogue.selectedMap = 0;

  catalogue.WriteHeaders();
  catalogue.mapCount = 0;

  catalogue.decimalSeparator = UserDecimalSeparator();
  coordinateMasks = catalogue::BuildCoordinateMasks(catalogue.decimalSeparator);

  BuildMarkers();

  SCCheckbox1->setChecked(false);
  for (int slot = 0; slot < catalogue::MaxMaps; ++slot) catalogue.ClearSlot(slot);

  SCRadioGroup1->SetItemIndex(0);
  ApplyCoordinateMasks(0);

  const int point = std::max(0, CurrentPoint());
  const catalogue::ReferencePoint& shown = catalogue.points[0][size_t(point)];
  const int format = SCRadioGroup1->ItemIndex();
  const catalogue::CoordinateText latitude =
      catalogue::FormatLatitude(shown.latitude, format, catalogue.decimalSeparator);
  SCMaskEdit1->setText(QString::fromStdString(latitude.text));
  SCCombobox1->setCurrentIndex(latitude.hemisphereItem);
  const catalogue::CoordinateText longitude =
      catalogue::FormatLongitude(shown.longitude, format, catalogue.decimalSeparator);
  SCMaskEdit2->setText(QString::fromStdString(longitude.text));
  SCCombobox2->setCurrentIndex(longitude.hemisphereItem);
}

bool TForm1::FormCanResize(int /*newOuterWidth*/, int newOuterHeight) const {
  return newOuterHeight >= MinimumOuterHeight;
}

void TForm1::resizeEvent(QResizeEvent* event) {
  const QSize old = event->oldSize();
  if (!revertingResize_ && old.isValid() && old != event->size()) {
    const int frameExtra = frameGeometry().height() - geometry().height();
    if (!FormCanResize(event->size().width() + frameGeometry().width() - geometry().width(),
                       event->size().height() + frameExtra)) {
      // Refused as a whole: back to the old size, width included.
      revertingResize_ = true;
      resize(old);
      revertingResize_ = false;
      return;
    }
  }
  QMainWindow::resizeEvent(event);
  FormResize();
}

void TForm1::FormResize() {
  if (imageHost.workingBitmap) RedrawView();
}

void TForm1::Exit1Click() {
  // Nothing is saved and nobody is asked.
  close();
  QCoreApplication::exit(0);
}

void TForm1::Help1Click() { messages.Show(HelpText, "Help"); }

void TForm1::About1Click() { messages.Show(AboutText, "About"); }

void TForm1::UpdateProgress() { progress.UpdateProgress(); }

void TForm1::ImageLoadProgress(LoadStage stage, int percent) {
  switch (stage) {
    case LoadStage::Starting:
      progress.progressVisible = true;
      progress.progressPercent = 5;
      break;
    case LoadStage::Running:
      progress.progressVisible = true;
      progress.progressPercent = percent;
      break;
    case LoadStage::Ending:
      progress.progressVisible = false;
      progress.progressPercent = 5;
      break;
  }
  UpdateProgress();
}

}  // namespace karovel::app
