#pragma once
// Import of OziExplorer .map files (WGS 84 only): the image becomes a new map whose reference points
// are the file's corner points, calibrated with the least-squares fit.
#include <array>
#include <string>

#include "base/message_sink.h"
#include "catalogue/map_catalogue.h"
#include "image/image_loader.h"

namespace karovel::mapfiles {

using PointSet = std::array<catalogue::ReferencePoint, catalogue::MaxReferencePoints>;

// Reads the file and adds at most one map, then calibrates it. The file's own failures are shown
// through messages (caption "Error") and add nothing; a file that cannot be read throws PlatformError.
// An image path of line 3 that does not exist as written is looked for by its file name in the folder
// of the .map file.
void ImportOziMap(catalogue::MapCatalogue& catalogue, image::ImageHost& host, MessageSink& messages,
                  const std::string& fileName);

// MMPXY,n,x,y: sets pixelX and pixelY of point n (1-based). Returns false, touching nothing, when a
// field is not an integer or n is outside 1 to MaxReferencePoints.
bool ParseMmpxyLine(const std::string& line, PointSet& points);

// MMPLL,n, lon, lat: sets longitude, latitude and active of point n. Fields are separated by a comma
// followed by a space; each coordinate's decimal separator is taken from its own text ("," before ".",
// else userSeparator). A coordinate that is not a number shows "Canot convert <text> to float".
bool ParseMmpllLine(const std::string& line, PointSet& points, char userSeparator, MessageSink& messages);

// The map's name from an image path: the file name part ("/" and "\" both separate folders) cut at the
// first occurrence of its extension.
std::string MapNameFromImagePath(const std::string& imagePath);

}  // namespace karovel::mapfiles
