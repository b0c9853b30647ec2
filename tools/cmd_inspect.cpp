#include <iostream>

#include "tools/commands.h"

namespace karovel::tools {

int RunInspect(const Args&) {
  std::cerr << "karovel-rmp inspect: not built yet\n";
  return 2;
}

}  // namespace karovel::tools
