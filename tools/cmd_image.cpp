#include <iostream>
#include <string>

#include "base/file_io.h"
#include "base/platform_error.h"
#include "image/image_loader.h"
#include "tools/commands.h"

namespace karovel::tools {

namespace {

const char* const kImageUsage =
    "usage: karovel-rmp image FILE... [--ppm OUT]\n"
    "\n"
    "Loads each image file as the window does and prints one line per file: the path, the image\n"
    "family and WIDTHxHEIGHT, separated by tabs. A file that cannot be loaded gets the window's\n"
    "message on stderr.\n"
    "\n"
    "  --ppm OUT   write the decoded pixels as a binary PPM file (only with a single FILE)\n"
    "\n"
    "Exit status: 0 success, 1 a file could not be loaded or OUT not written, 2 wrong usage.\n";

int Usage(const std::string& complaint) {
  std::cerr << "karovel-rmp image: " << complaint << "\n" << kImageUsage;
  return 2;
}

void WritePpm(const std::string& path, const image::WorkingBitmap& bitmap) {
  const std::string header =
      "P6\n" + std::to_string(bitmap.width) + " " + std::to_string(bitmap.height) + "\n255\n";
  const size_t pixelBytes = bitmap.RowBytes() * size_t(bitmap.height);
  std::string bytes;
  bytes.reserve(header.size() + pixelBytes);
  bytes += header;
  bytes.append(reinterpret_cast<const char*>(bitmap.pixels.get()), pixelBytes);
  WriteFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace

int RunImage(const Args& args) {
  std::vector<std::string> files;
  std::string ppm;
  bool havePpm = false, optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      std::cout << kImageUsage;
      return 0;
    }
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--ppm" || arg.rfind("--ppm=", 0) == 0)) {
      if (havePpm) return Usage("--ppm given twice");
      if (arg == "--ppm") {
        if (i + 1 == args.size()) return Usage("--ppm needs an output file");
        ppm = args[++i];
      } else {
        ppm = arg.substr(6);
      }
      if (ppm.empty()) return Usage("--ppm needs an output file");
      havePpm = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option '" + arg + "'");
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) return Usage("no image file given");
  if (havePpm && files.size() != 1) return Usage("--ppm takes exactly one image file");

  StderrMessageSink messages;
  image::ImageHost host;
  host.messages = &messages;
  bool failed = false;
  for (const std::string& file : files) {
    if (!image::LoadWorkingImage(host, file)) {
      failed = true;
      continue;
    }
    const image::WorkingBitmap& bitmap = *host.workingBitmap;
    std::cout << file << '\t' << host.family->description << '\t' << bitmap.width << 'x' << bitmap.height
              << '\n';
  }
  std::cout.flush();
  if (havePpm && !failed) {
    try {
      WritePpm(ppm, *host.workingBitmap);
    } catch (const PlatformError& e) {
      std::cerr << e.what() << "\n";
      return 1;
    }
  }
  return failed ? 1 : 0;
}

}  // namespace karovel::tools
