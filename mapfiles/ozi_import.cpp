#include "mapfiles/ozi_import.h"
