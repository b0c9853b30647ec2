#include <iostream>

#include "tools/commands.h"

namespace karovel::tools {

void StderrMessageSink::Show(const std::string& text, const std::string& caption) {
  std::cerr << caption << ": " << text << "\n";
  shown = true;
}

}  // namespace karovel::tools
