#include "catalogue/calibration.h"

namespace karovel::catalogue {

void Calibrate(MapCatalogue&, int, MessageSink& messages) {
  messages.Show("Calibration is not built yet", "Error");
}

}  // namespace karovel::catalogue
