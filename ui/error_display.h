#pragma once
// The application's general error display: an exception that escapes an event handler is shown with
// its text in a box, the handler ends there and the program goes on.
#include <QApplication>

#include "base/message_sink.h"

namespace karovel::ui {

// Caption of the box.
inline constexpr const char* ErrorCaption = "Error";

// The text shown for an exception escaping a handler.
std::string ErrorDisplayText(const std::exception& error);

class KarovelApplication : public QApplication {
 public:
  // errors receives the boxes; it must outlive the application.
  KarovelApplication(int& argc, char** argv, MessageSink& errors);

  bool notify(QObject* receiver, QEvent* event) override;

  MessageSink& Errors() { return *errors_; }
  void SetErrors(MessageSink& errors) { errors_ = &errors; }

 private:
  MessageSink* errors_;
};

}  // namespace karovel::ui
