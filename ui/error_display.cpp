#include "ui/error_display.h"

#include <new>

namespace karovel::ui {

std::string ErrorDisplayText(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error)) return "Out of memory";
  const std::string text = error.what();
  return text.empty() ? std::string("An unexpected error occurred") : text;
}

KarovelApplication::KarovelApplication(int& argc, char** argv, MessageSink& errors)
    : QApplication(argc, argv), errors_(&errors) {}

bool KarovelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    errors_->Show(ErrorDisplayText(error), ErrorCaption);
  } catch (...) {
    errors_->Show("An unexpected error occurred", ErrorCaption);
  }
  return true;
}

}  // namespace karovel::ui
