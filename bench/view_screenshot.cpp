// Draws the window with the sample map, three reference points and the lens, and saves what the
// screen shows. Run under a real X server (for example Xvfb):
//   xvfb-run -s "-screen 0 1024x700x24" build/bin/karovel-view-screenshot examples/sample-north.png OUT.png
#include <QApplication>
#include <cstdio>

#include "app/tform1.h"
#include "base/message_sink.h"
#include "bench/window_shot.h"
#include "ui/file_dialog.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: karovel-view-screenshot IMAGE OUT.png\n");
    return 2;
  }
  QApplication app(argc, argv);
  karovel::RecordingMessageSink messages;
  karovel::ui::ScriptedFileDialog openDialog, saveDialog;
  karovel::app::TForm1 form(messages, openDialog, saveDialog);
  form.move(0, 0);
  form.show();
  QApplication::processEvents();

  if (!karovel::catalogue::AddMap(form.catalogue, form.imageHost, messages, argv[1], "sample", "")) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  form.StringGrid1->SetRow(1);
  form.catalogue.selectedMap = 0;
  form.SetScrollRanges();
  form.SCScrollbar2->setValue(150);
  form.SCScrollbar1->setValue(100);
  form.RedrawView();

  // Three points placed as a double click places them, with their coordinates, then calibrated.
  struct Placed {
    int x, y;
    double latitude, longitude;
  };
  const Placed points[] = {
      {190, 250, 46.9300, 8.1200}, {480, 160, 46.9380, 8.1550}, {300, 420, 46.8980, 8.1370}};
  for (int i = 0; i < 3; ++i) {
    form.SCTabControl1->SetTabIndex(i);
    form.SCTabControl1Change();
    form.Image1MouseDown(Qt::LeftButton, points[i].x, points[i].y);
    form.Image1DblClick();
    form.catalogue.points[0][size_t(i)].latitude = points[i].latitude;
    form.catalogue.points[0][size_t(i)].longitude = points[i].longitude;
  }
  form.SCTabControl1Change();
  form.SCButton1Click();
  // The cursor rests beside point 3.
  form.Image1MouseMove(Qt::NoButton, 318, 430);

  return karovel::bench::SaveWindowShot(form, QString::fromLocal8Bit(argv[2]));
}
