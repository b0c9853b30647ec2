#pragma once
// The last step of the screenshot programs: let the window settle, then grab its frame into a file.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QThread>
#include <QWidget>
#include <cstdio>

namespace karovel::bench {

// Lets pending paints and the window manager run for half a second, then saves the window's frame as a
// PNG at path. Returns the program's exit status.
inline int SaveWindowShot(QWidget& window, const QString& path) {
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 500) {
    QApplication::processEvents();
    QThread::msleep(20);
  }
  const QRect frame = window.frameGeometry();
  const QPixmap shot = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
  if (!shot.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
    return 1;
  }
  return 0;
}

}  // namespace karovel::bench
