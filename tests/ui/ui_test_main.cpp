// Window tests run inside one application whose general error display is recorded.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include "tests/ui/window_fixture.h"
#include "ui/error_display.h"

namespace karovel::testing {

RecordingMessageSink& ApplicationErrors() {
  static RecordingMessageSink errors;
  return errors;
}

void ProcessEvents() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace karovel::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Also while CTest lists the tests, which runs without the test's environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  karovel::ui::KarovelApplication application(argc, argv, karovel::testing::ApplicationErrors());
  return RUN_ALL_TESTS();
}
