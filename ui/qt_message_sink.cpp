#include "ui/qt_message_sink.h"

#include <QApplication>
#include <QMessageBox>

namespace karovel::ui {

void QtMessageSink::Show(const std::string& text, const std::string& caption) {
  // The texts break lines with CR LF; Qt wants LF alone.
  QString shown = QString::fromStdString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), shown, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace karovel::ui
