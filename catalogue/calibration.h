#pragma once
// The least-squares fit of a map's calibration from its active reference points.
#include "base/message_sink.h"
#include "catalogue/map_catalogue.h"

namespace karovel::catalogue {

extern const char* const TooFewPointsMessage;     // fewer than two active points
extern const char* const ZeroScaleMessage;        // a fitted scale is exactly 0
extern const char* const SameColumnOrRowMessage;  // all active points in one pixel column or row

// Fits map index (0-based) from its active points; sets calibrated and the "R" cell, and reports its
// failures through messages (caption "Error"). An index outside 0 to mapCount - 1 does nothing. The four
// calibration values are replaced whenever a fit can be computed, also one with a zero scale (which is
// then not marked calibrated); otherwise they keep their previous values.
void Calibrate(MapCatalogue& catalogue, int index, MessageSink& messages);

}  // namespace karovel::catalogue
