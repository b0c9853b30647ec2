#include "catalogue/coordinate_format.h"

namespace karovel::catalogue {

CoordinateMasks BuildCoordinateMasks(char) { return {}; }
CoordinateText FormatLatitude(double, int, char) { return {}; }
CoordinateText FormatLongitude(double, int, char) { return {}; }
double ParseLatitude(const std::string&, int, int, char) { return 0; }
double ParseLongitude(const std::string&, int, int, char) { return 0; }

}  // namespace karovel::catalogue
