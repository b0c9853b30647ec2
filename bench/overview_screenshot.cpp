// Draws the overview of the two sample maps, loaded from examples/sample.gmap as "Import Map(s)" loads
// them, and saves what the screen shows. Run under a real X server (for example Xvfb):
//   xvfb-run -s "-screen 0 1024x700x24" build/bin/karovel-overview-screenshot examples OUT.png
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "app/tform1.h"
#include "base/message_sink.h"
#include "bench/window_shot.h"
#include "ui/file_dialog.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: karovel-overview-screenshot EXAMPLES_DIR OUT.png\n");
    return 2;
  }
  QApplication app(argc, argv);
  const QString out = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[2]));
  // The map file names its pictures relative to the folder it is read from.
  QDir::setCurrent(QString::fromLocal8Bit(argv[1]));

  karovel::RecordingMessageSink messages;
  karovel::ui::ScriptedFileDialog openDialog, saveDialog;
  karovel::app::TForm1 form(messages, openDialog, saveDialog);
  form.move(0, 0);
  form.show();
  QApplication::processEvents();

  openDialog.answers.push_back({QDir::current().absoluteFilePath("sample.gmap").toStdString()});
  form.I1Click();
  form.Overview1Click();
  for (const auto& m : messages.messages) std::fprintf(stderr, "%s: %s\n", m.caption.c_str(), m.text.c_str());
  if (form.catalogue.mapCount != 2 || !form.overviewMode) return 1;
  // The cursor rests where the two maps overlap.
  const double lon = 8.11, lat = 46.95;
  form.Image1MouseMove(Qt::NoButton,
                       form.overviewOffsetX + int((lon - form.overviewMinLon) / form.overviewDegPerPixel),
                       form.overviewOffsetY + int((form.overviewMaxLat - lat) / form.overviewDegPerPixel));

  return karovel::bench::SaveWindowShot(form, out);
}
