#include <iostream>

#include "tools/commands.h"

namespace karovel::tools {

int RunImage(const Args&) {
  std::cerr << "karovel-rmp image: not built yet\n";
  return 2;
}

}  // namespace karovel::tools
