#pragma once
// Import of OziExplorer .map files (WGS 84 only).
#include <string>

#include "catalogue/map_catalogue.h"

namespace karovel::mapfiles {}  // namespace karovel::mapfiles
