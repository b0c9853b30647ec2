#pragma once
// The program's own text map file (.gmap).
#include <string>

#include "catalogue/map_catalogue.h"

namespace karovel::mapfiles {}  // namespace karovel::mapfiles
