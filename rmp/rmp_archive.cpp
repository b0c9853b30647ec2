#include "rmp/rmp_archive.h"
