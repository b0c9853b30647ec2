#include "app/tform1.h"

namespace karovel::app {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle("Karovel");
  resize(888, 582);
}

}  // namespace karovel::app
