#pragma once
// The least-squares fit of a map's calibration from its active reference points.
#include "base/message_sink.h"
#include "catalogue/map_catalogue.h"

namespace karovel::catalogue {

// Fits map index (0-based) from its active points; sets calibrated and the "R" cell, and reports its
// failures through messages (caption "Error").
void Calibrate(MapCatalogue& catalogue, int index, MessageSink& messages);

}  // namespace karovel::catalogue
