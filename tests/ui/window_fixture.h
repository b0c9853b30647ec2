#pragma once
// A TForm1 for window tests: a recording message sink and scripted file dialogs stand in for the boxes
// and dialogs. The test program's application records what its general error display shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "app/tform1.h"
#include "base/message_sink.h"
#include "ui/file_dialog.h"

namespace karovel::testing {

// What the application's general error display showed (cleared by each WindowTest).
RecordingMessageSink& ApplicationErrors();

// Runs the pending events (resizes, posted calls) of the offscreen platform.
void ProcessEvents();

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplicationErrors().messages.clear();
    form = std::make_unique<app::TForm1>(messages, openDialog, saveDialog);
  }
  void TearDown() override { form.reset(); }

  // Shows the window and lets the platform deliver its first resize.
  void Show() {
    form->show();
    ProcessEvents();
  }

  RecordingMessageSink messages;
  ui::ScriptedFileDialog openDialog;
  ui::ScriptedFileDialog saveDialog;
  std::unique_ptr<app::TForm1> form;
};

}  // namespace karovel::testing
