// Cost of one RedrawView of the window's view (665 x 558 at the design size) on a small and a very large
// working bitmap, at the same sequence of scroll positions (a drag across the image). Usage:
//   QT_QPA_PLATFORM=offscreen build/bin/karovel-view-redraw-bench [redraws]
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/tform1.h"
#include "base/message_sink.h"
#include "ui/file_dialog.h"
#include "ui/view_render.h"

namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<karovel::image::WorkingBitmap> MakeBitmap(int width, int height) {
  auto bitmap = std::make_unique<karovel::image::WorkingBitmap>();
  if (!karovel::image::AllocateBitmap(*bitmap, width, height)) {
    std::fprintf(stderr, "cannot allocate %d x %d\n", width, height);
    std::exit(1);
  }
  std::vector<uint8_t> row(bitmap->RowBytes());
  for (size_t i = 0; i < row.size(); ++i) row[i] = uint8_t(i * 7);
  for (int y = 0; y < height; ++y) {
    row[0] = uint8_t(y);
    std::memcpy(bitmap->Row(y), row.data(), row.size());
  }
  return bitmap;
}

struct Figures {
  double median = 0, p90 = 0, mean = 0, worst = 0;
};

Figures Summarise(std::vector<double> micros) {
  std::sort(micros.begin(), micros.end());
  Figures f;
  f.median = micros[micros.size() / 2];
  f.p90 = micros[micros.size() * 9 / 10];
  for (double m : micros) f.mean += m;
  f.mean /= double(micros.size());
  f.worst = micros.back();
  return f;
}

// Scroll positions of a diagonal drag over the whole scroll range, `count` steps.
std::vector<std::pair<int, int>> DragPath(const karovel::app::TForm1& form, int count) {
  std::vector<std::pair<int, int>> path;
  const int hMin = form.SCScrollbar2->minimum(), hMax = form.SCScrollbar2->maximum();
  const int vMin = form.SCScrollbar1->minimum(), vMax = form.SCScrollbar1->maximum();
  for (int i = 0; i < count; ++i) {
    const double t = double(i) / double(std::max(count - 1, 1));
    path.emplace_back(hMin + int((hMax - hMin) * t), vMin + int((vMax - vMin) * t));
  }
  return path;
}

void Run(karovel::app::TForm1& form, int size, int redraws) {
  form.imageHost.workingBitmap = MakeBitmap(size, size);
  form.SetScrollRanges();
  const auto path = DragPath(form, redraws);

  // RedrawView alone, positions set with the scrollbars' echoes blocked.
  std::vector<double> redraw, render;
  for (const auto& [h, v] : path) {
    form.SCScrollbar2->blockSignals(true);
    form.SCScrollbar1->blockSignals(true);
    form.SCScrollbar2->setValue(h);
    form.SCScrollbar1->setValue(v);
    form.SCScrollbar2->blockSignals(false);
    form.SCScrollbar1->blockSignals(false);
    const auto t0 = Clock::now();
    form.RedrawView();
    const auto t1 = Clock::now();
    redraw.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }
  // The copy into the view-sized picture on its own.
  QImage picture;
  for (const auto& [h, v] : path) {
    const auto t0 = Clock::now();
    karovel::ui::RenderVisibleRect(*form.imageHost.workingBitmap, h, v, form.Image1->width(),
                                   form.Image1->height(), 0xFFF0F0F0u, picture);
    const auto t1 = Clock::now();
    render.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }
  const Figures r = Summarise(redraw), c = Summarise(render);
  for (const auto& [label, f] : {std::pair{"RedrawView", r}, std::pair{"copy only ", c}})
    std::printf("%6d x %-6d  %s  median %6.1f us  p90 %6.1f us  mean %6.1f us  worst %8.1f us\n", size, size,
                label, f.median, f.p90, f.mean, f.worst);
  form.imageHost.workingBitmap.reset();
}

}  // namespace

int main(int argc, char** argv) {
  const int redraws = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
  QApplication app(argc, argv);
  karovel::RecordingMessageSink messages;
  karovel::ui::ScriptedFileDialog openDialog, saveDialog;
  karovel::app::TForm1 form(messages, openDialog, saveDialog);
  form.show();
  QApplication::processEvents();
  std::printf("view %d x %d, %d redraws per image along a diagonal drag\n", form.Image1->width(),
              form.Image1->height(), redraws);
  for (int size : {1000, 5000, 20000}) Run(form, size, redraws);
  return 0;
}
