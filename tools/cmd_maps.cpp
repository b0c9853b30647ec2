#include <iostream>

#include "tools/commands.h"

namespace karovel::tools {

int RunMaps(const Args&) {
  std::cerr << "karovel-rmp maps: not built yet\n";
  return 2;
}

}  // namespace karovel::tools
