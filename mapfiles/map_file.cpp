#include "mapfiles/map_file.h"
