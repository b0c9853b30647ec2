#pragma once
// The one way the core shows the boxes the program raises itself ("Error", "Warning", "Help", "About").
// The window shows a modal box with one OK button and no icon; karovel-rmp prints "caption: text" on
// stderr; tests record the calls.
#include <string>
#include <utility>
#include <vector>

namespace karovel {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void Show(const std::string& text, const std::string& caption) = 0;
};

// Keeps every message; used by tests and by batch code that decides later what to print.
class RecordingMessageSink : public MessageSink {
 public:
  struct Message {
    std::string text;
    std::string caption;
    bool operator==(const Message&) const = default;
  };
  void Show(const std::string& text, const std::string& caption) override {
    messages.push_back({text, caption});
  }
  std::vector<Message> messages;
};

}  // namespace karovel
