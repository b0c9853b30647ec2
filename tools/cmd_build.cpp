#include <unistd.h>

#include <iostream>

#include "base/platform_error.h"
#include "catalogue/map_catalogue.h"
#include "image/image_loader.h"
#include "mapfiles/load_map_files.h"
#include "rmp/build_rmp.h"
#include "rmp/tile_stream.h"
#include "tools/commands.h"

namespace karovel::tools {

namespace {

const char* const kBuildUsage =
    "usage: karovel-rmp build -o OUT.rmp [--threads N] FILE...\n"
    "\n"
    "Reads .gmap map files and OziExplorer .map files as \"Import Map(s)\" does and writes the RMP file\n"
    "of all their maps, in the order given, with the same bytes as \"Create RMP\" in the window. Every\n"
    "map must be calibrated. Nothing is written when a map file or an image cannot be read. A progress\n"
    "bar goes to stderr when it is a terminal.\n"
    "  -o OUT.rmp    the file to write (replaced whole, or left as it was on failure)\n"
    "  --threads N   tile encoding threads (default: every core); the bytes do not depend on it\n"
    "Exit status: 0 written, 1 an error was shown and nothing was written, 2 wrong usage.\n";

// A one-line bar redrawn in place; cleared when the build hides the progress.
class TerminalBar {
 public:
  void Show(int32_t percent, bool visible) {
    if (!visible) {
      if (drawn_) std::cerr << "\r" << std::string(60, ' ') << "\r" << std::flush;
      drawn_ = false;
      last_ = -1;
      return;
    }
    if (percent == last_) return;
    last_ = percent;
    drawn_ = true;
    const int filled = percent * 40 / 100;
    std::cerr << "\r[" << std::string(size_t(filled), '#') << std::string(size_t(40 - filled), ' ') << "] "
              << percent << "%" << std::flush;
  }

 private:
  bool drawn_ = false;
  int32_t last_ = -1;
};

}  // namespace

int RunBuild(const Args& args) {
  std::string out;
  int threads = 0;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kBuildUsage;
      return 0;
    }
    if (arg == "-o" || arg == "--threads") {
      if (i + 1 >= args.size()) {
        std::cerr << "karovel-rmp build: " << arg << " needs a value\n" << kBuildUsage;
        return 2;
      }
      const std::string& value = args[++i];
      if (arg == "-o") {
        out = value;
      } else {
        try {
          size_t used = 0;
          threads = std::stoi(value, &used);
          if (used != value.size() || threads < 0) throw std::invalid_argument(value);
        } catch (const std::exception&) {
          std::cerr << "karovel-rmp build: --threads needs a number, not '" << value << "'\n";
          return 2;
        }
      }
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "karovel-rmp build: unknown option '" << arg << "'\n" << kBuildUsage;
      return 2;
    }
    files.push_back(arg);
  }
  if (out.empty() || files.empty()) {
    std::cerr << kBuildUsage;
    return 2;
  }

  StderrMessageSink messages;
  image::ImageHost host;
  host.messages = &messages;
  catalogue::MapCatalogue catalogue;
  // Declared after the host, so that its workers end before the bitmap they read is released.
  rmp::TileStream stream(threads);
  // The first picture read with its map files starts on its tiles while it is decoded: when it is the
  // only map, its picture stays loaded for the build, which then finds its tiles under way and the whole
  // decode overlaps the encoding. (A later map's load drops that work.) A map file's record is in its
  // slot before the image is loaded; a map not (yet) calibrated is not streamed.
  {
    const image::RowsDecodedScope hook(host, [&](const image::WorkingBitmap* bitmap, int32_t rows) {
      if (!bitmap) {
        stream.RowsDecoded(nullptr, 0);
        const bool first = catalogue.mapCount == 0 && catalogue.entries[0].calibrated;
        stream.Begin(first ? &catalogue.entries[0] : nullptr);
        return;
      }
      stream.RowsDecoded(bitmap, rows);
    });
    mapfiles::LoadMapFiles(catalogue, host, messages, files);
  }
  if (messages.shown) return 1;
  for (int row = 1; row <= catalogue.mapCount; ++row) {
    if (catalogue.grid1.Cell(row, catalogue::ColR) != "Y") {
      messages.Show("All maps should be calibrated", "Error");
      return 1;
    }
  }

  TerminalBar bar;
  Progress progress;
  if (::isatty(STDERR_FILENO)) progress.show = [&bar](int32_t p, bool v) { bar.Show(p, v); };
  // Reading the map files left the last map's image in the working bitmap: that map needs no second
  // decode (the same file gives the same pixels).
  int held = catalogue.mapCount > 0 && host.workingBitmap && !host.workingBitmap->Empty()
                 ? catalogue.mapCount - 1
                 : -1;
  const rmp::SelectMapFn selectMap =
      [&](int i, const image::RowsDecodedFn& rowsDecoded) -> const image::WorkingBitmap* {
    if (i >= catalogue.mapCount) return nullptr;
    if (i != held) {
      held = -1;
      const image::RowsDecodedScope hook(host, rowsDecoded);
      if (!image::LoadWorkingImage(host, catalogue.grid2.Cell(i + 1, catalogue::ColFname))) return nullptr;
      held = i;
    }
    catalogue.selectedMap = i;
    return host.workingBitmap.get();
  };
  rmp::BuildOptions options;
  options.threads = threads;
  options.tiles = &stream;
  bool written = false;
  try {
    written = rmp::BuildRmp(catalogue, out, messages, progress, selectMap, options);
  } catch (...) {
    bar.Show(0, false);
    throw;
  }
  return written ? 0 : 1;
}

}  // namespace karovel::tools
