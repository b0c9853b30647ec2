#include <iostream>

#include "base/platform_error.h"
#include "catalogue/map_catalogue.h"
#include "image/image_loader.h"
#include "mapfiles/load_map_files.h"
#include "mapfiles/map_file.h"
#include "tools/commands.h"

namespace karovel::tools {

namespace {

const char* const kMapsUsage =
    "usage: karovel-rmp maps FILE...\n"
    "\n"
    "Reads .gmap map files and OziExplorer .map files as \"Import Map(s)\" does (other files are\n"
    "skipped), loading each map's image, and writes all maps on stdout in the .gmap format, as\n"
    "\"Save All Maps\" would. Messages go to stderr.\n"
    "Exit status: 0 success, 1 a message was shown or a file could not be read, 2 wrong usage.\n";

}  // namespace

int RunMaps(const Args& args) {
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      std::cout << kMapsUsage;
      return 0;
    }
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      std::cerr << "karovel-rmp maps: unknown option '" << arg << "'\n" << kMapsUsage;
      return 2;
    }
    files.push_back(arg);
  }
  if (files.empty()) {
    std::cerr << kMapsUsage;
    return 2;
  }

  StderrMessageSink messages;
  image::ImageHost host;
  host.messages = &messages;
  catalogue::MapCatalogue catalogue;
  bool failed = false;
  try {
    mapfiles::LoadMapFiles(catalogue, host, messages, files);
  } catch (const PlatformError& e) {
    // The import ends here as in the window; the maps read so far are still written.
    std::cerr << e.what() << "\n";
    failed = true;
  }
  const std::string text = mapfiles::MapFileText(catalogue, 1, catalogue.mapCount);
  std::cout.write(text.data(), std::streamsize(text.size()));
  std::cout.flush();
  return failed || messages.shown ? 1 : 0;
}

}  // namespace karovel::tools
