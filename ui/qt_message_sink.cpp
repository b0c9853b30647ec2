#include "ui/qt_message_sink.h"

#include <QMessageBox>

namespace karovel::ui {

void QtMessageSink::Show(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString::fromStdString(text),
                  QMessageBox::Ok);
  box.exec();
}

}  // namespace karovel::ui
