#pragma once
// Small widgets of the main window that plain Qt widgets do not cover as the window needs them.
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QTabBar>
#include <QWidget>
#include <vector>

class QButtonGroup;
class QRadioButton;

namespace karovel::ui {

// A picture on the window that reports the mouse in its own coordinates. With stretch set the picture
// is scaled to the widget's size; otherwise it is drawn one to one at the top-left corner.
class ImageWidget : public QWidget {
  Q_OBJECT
 public:
  explicit ImageWidget(QWidget* parent = nullptr);

  const QImage& Picture() const { return picture_; }
  void SetPicture(const QImage& picture);
  void ClearPicture();
  bool HasPicture() const { return !picture_.isNull(); }

  bool stretch = false;

 signals:
  void MouseDown(Qt::MouseButton button, int x, int y);
  void MouseMove(Qt::MouseButtons buttons, int x, int y);
  void DblClick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QImage picture_;
};

// A status bar of fixed-width panels with flat bevels and no size grip.
class StatusBar : public QWidget {
  Q_OBJECT
 public:
  StatusBar(std::vector<int> panelWidths, QWidget* parent = nullptr);

  int PanelCount() const { return int(panels_.size()); }
  QString PanelText(int panel) const;
  void SetPanelText(int panel, const QString& text);
  QLabel* Panel(int panel) { return panels_[size_t(panel)]; }

 private:
  std::vector<QLabel*> panels_;
};

// The tab bar of the point panel; Clicked is raised only when the user makes another tab current.
class ClickTabBar : public QTabBar {
  Q_OBJECT
 public:
  using QTabBar::QTabBar;
  int minimumTabWidth = 30;
  int maximumTabWidth = 40;

 signals:
  void Clicked();

 protected:
  QSize tabSizeHint(int index) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
};

// A tab control whose tabs only choose an index: the widgets on it are the same for every tab and sit
// at positions relative to the control.
class TabControl : public QWidget {
  Q_OBJECT
 public:
  explicit TabControl(QWidget* parent = nullptr);

  ClickTabBar* Tabs() { return tabs_; }
  int TabIndex() const { return tabs_->currentIndex(); }  // -1 without tabs
  void SetTabIndex(int index) { tabs_->setCurrentIndex(index); }
  int TabCount() const { return tabs_->count(); }
  void AddTab(const QString& caption, const QIcon& icon = QIcon());
  void ClearTabs();

 signals:
  void Change();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  ClickTabBar* tabs_;
};

// A group box of radio buttons with one item index; Click follows every change of the index, by the
// user or by code.
class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  int ItemCount() const { return int(buttons_.size()); }
  QRadioButton* Item(int index) { return buttons_[size_t(index)]; }

 signals:
  void Click();

 private:
  QButtonGroup* group_;
  std::vector<QRadioButton*> buttons_;
  int itemIndex_ = -1;
};

}  // namespace karovel::ui
