#include <iostream>

#include "tools/commands.h"

namespace karovel::tools {

int RunBuild(const Args&) {
  std::cerr << "karovel-rmp build: not built yet\n";
  return 2;
}

}  // namespace karovel::tools
