#pragma once
#include "base/message_sink.h"

namespace karovel::ui {

// A modal box with one OK button and no icon.
class QtMessageSink : public MessageSink {
 public:
  void Show(const std::string& text, const std::string& caption) override;
};

}  // namespace karovel::ui
