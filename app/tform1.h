#pragma once
#include <QMainWindow>

namespace karovel::app {

// The program's one window.
class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* parent = nullptr);
};

}  // namespace karovel::app
