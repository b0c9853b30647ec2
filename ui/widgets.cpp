#include "ui/widgets.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

namespace karovel::ui {

ImageWidget::ImageWidget(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageWidget::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void ImageWidget::ClearPicture() {
  picture_ = QImage();
  update();
}

void ImageWidget::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  if (stretch)
    painter.drawImage(rect(), picture_);
  else
    painter.drawImage(0, 0, picture_);
}

void ImageWidget::mousePressEvent(QMouseEvent* event) {
  emit MouseDown(event->button(), event->pos().x(), event->pos().y());
}

void ImageWidget::mouseMoveEvent(QMouseEvent* event) {
  emit MouseMove(event->buttons(), event->pos().x(), event->pos().y());
}

void ImageWidget::mouseDoubleClickEvent(QMouseEvent*) { emit DblClick(); }

StatusBar::StatusBar(std::vector<int> panelWidths, QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (size_t i = 0; i < panelWidths.size(); ++i) {
    auto* panel = new QLabel(this);
    panel->setFrameShape(QFrame::NoFrame);  // flat bevel
    panel->setContentsMargins(2, 0, 2, 0);
    panel->setTextFormat(Qt::PlainText);
    // The last panel takes what is left, as the last panel of a status bar does.
    if (i + 1 < panelWidths.size())
      panel->setFixedWidth(panelWidths[i]);
    else
      panel->setMinimumWidth(0);
    layout->addWidget(panel, i + 1 < panelWidths.size() ? 0 : 1);
    panels_.push_back(panel);
  }
}

QString StatusBar::PanelText(int panel) const {
  if (panel < 0 || panel >= PanelCount()) return {};
  return panels_[size_t(panel)]->text();
}

void StatusBar::SetPanelText(int panel, const QString& text) {
  if (panel < 0 || panel >= PanelCount()) return;
  panels_[size_t(panel)]->setText(text);
}

QSize ClickTabBar::tabSizeHint(int index) const {
  QSize size = QTabBar::tabSizeHint(index);
  size.setWidth(std::clamp(size.width(), minimumTabWidth, maximumTabWidth));
  return size;
}

void ClickTabBar::mousePressEvent(QMouseEvent* event) {
  const int before = currentIndex();
  QTabBar::mousePressEvent(event);
  if (currentIndex() != before) emit Clicked();
}

void ClickTabBar::keyPressEvent(QKeyEvent* event) {
  const int before = currentIndex();
  QTabBar::keyPressEvent(event);
  if (currentIndex() != before) emit Clicked();
}

void ClickTabBar::wheelEvent(QWheelEvent* event) {
  const int before = currentIndex();
  QTabBar::wheelEvent(event);
  if (currentIndex() != before) emit Clicked();
}

TabControl::TabControl(QWidget* parent) : QWidget(parent), tabs_(new ClickTabBar(this)) {
  tabs_->setDrawBase(true);
  tabs_->setExpanding(false);
  tabs_->setUsesScrollButtons(false);
  tabs_->setElideMode(Qt::ElideNone);
  tabs_->setIconSize(QSize(25, 25));
  connect(tabs_, &ClickTabBar::Clicked, this, &TabControl::Change);
}

void TabControl::AddTab(const QString& caption, const QIcon& icon) {
  tabs_->addTab(icon, caption);
  tabs_->resize(width(), tabs_->sizeHint().height());
}

void TabControl::ClearTabs() {
  while (tabs_->count() > 0) tabs_->removeTab(tabs_->count() - 1);
}

void TabControl::resizeEvent(QResizeEvent*) { tabs_->setGeometry(0, 0, width(), tabs_->sizeHint().height()); }

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 2, 4, 2);
  layout->setSpacing(0);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    group_->addButton(button, i);
    layout->addWidget(button);
    buttons_.push_back(button);
  }
  connect(group_, QOverload<QAbstractButton*, bool>::of(&QButtonGroup::buttonToggled), this,
          [this](QAbstractButton* button, bool checked) {
            if (!checked) return;
            const int index = group_->id(button);
            if (index == itemIndex_) return;
            itemIndex_ = index;
            emit Click();
          });
}

void RadioGroup::SetItemIndex(int index) {
  if (index < 0 || index >= ItemCount()) {
    if (itemIndex_ < 0) return;
    group_->setExclusive(false);
    buttons_[size_t(itemIndex_)]->setChecked(false);
    group_->setExclusive(true);
    itemIndex_ = -1;
    emit Click();
    return;
  }
  buttons_[size_t(index)]->setChecked(true);
}

}  // namespace karovel::ui
