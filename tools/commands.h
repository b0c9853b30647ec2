#pragma once
// The subcommands of karovel-rmp. Each returns the exit status: 0 success, 1 an error was shown,
// 2 wrong usage.
#include <string>
#include <vector>

#include "base/message_sink.h"

namespace karovel::tools {

using Args = std::vector<std::string>;  // the arguments after the subcommand's name

int RunImage(const Args& args);
int RunMaps(const Args& args);
int RunBuild(const Args& args);
int RunInspect(const Args& args);

// Prints "caption: text" on stderr for each message and remembers that one was shown.
class StderrMessageSink : public MessageSink {
 public:
  void Show(const std::string& text, const std::string& caption) override;
  bool shown = false;
};

}  // namespace karovel::tools
