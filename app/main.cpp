#include <QApplication>

#include "app/tform1.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  karovel::app::TForm1 window;
  window.show();
  return application.exec();
}
