#include "app/tform1.h"
#include "ui/error_display.h"
#include "ui/file_dialog.h"
#include "ui/qt_message_sink.h"

int main(int argc, char** argv) {
  karovel::ui::QtMessageSink messages;
  karovel::ui::KarovelApplication application(argc, argv, messages);
  karovel::ui::QtFileDialog openDialog(karovel::ui::FileDialogKind::Open, nullptr);
  karovel::ui::QtFileDialog saveDialog(karovel::ui::FileDialogKind::Save, nullptr);
  karovel::app::TForm1 window(messages, openDialog, saveDialog);
  window.show();
  return application.exec();
}
