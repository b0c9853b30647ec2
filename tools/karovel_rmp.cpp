// karovel-rmp: the batch companion of the window program; it reuses the core and shows no dialogs.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "tools/commands.h"

namespace {

const char* const kUsage =
    "usage: karovel-rmp COMMAND [ARGS...]\n"
    "\n"
    "Commands:\n"
    "  image FILE... [--ppm OUT]       load images as the window does; print path, family, size\n"
    "  maps FILE...                    read .gmap and .map files; print the maps as a .gmap file\n"
    "  build -o OUT.rmp FILE...        write the RMP file of the maps in the given map files\n"
    "  inspect FILE.rmp [--extract DIR]  list and check the members of an RMP file\n"
    "\n"
    "'karovel-rmp COMMAND --help' tells more. Exit status: 0 success, 1 an error was shown, 2 wrong usage.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << kUsage;
    return 2;
  }
  std::string command = argv[1];
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  karovel::tools::Args args(argv + 2, argv + argc);
  try {
    if (command == "image") return karovel::tools::RunImage(args);
    if (command == "maps") return karovel::tools::RunMaps(args);
    if (command == "build") return karovel::tools::RunBuild(args);
    if (command == "inspect") return karovel::tools::RunInspect(args);
  } catch (const std::exception& e) {
    // Platform errors end the command, as the window's general error display does.
    std::cerr << e.what() << "\n";
    return 1;
  }
  std::cerr << "karovel-rmp: unknown command '" << command << "'\n" << kUsage;
  return 2;
}
