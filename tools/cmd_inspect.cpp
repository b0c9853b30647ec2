#include <charconv>
#include <filesystem>
#include <iostream>

#include "base/file_io.h"
#include "base/platform_error.h"
#include "tools/commands.h"
#include "tools/rmp_inspect.h"

namespace karovel::tools {

namespace {

const char* const kInspectUsage =
    "usage: karovel-rmp inspect FILE.rmp [--extract DIR]\n"
    "\n"
    "Lists the members of an RMP file (name, offset, length) and its layers (tiles, tiles across and\n"
    "down, tile size in degrees, edges), and checks the container, every tile index and every tile data\n"
    "file against each other. The first inconsistency is reported with the member, the file offset, what\n"
    "was expected and what was found.\n"
    "  --extract DIR   also write every member as DIR/NAME.EXT and every tile as DIR/topoK/COLUMN_ROW.jpg\n"
    "Exit status: 0 the file is consistent, 1 it is not or cannot be read, 2 wrong usage.\n";

// Shortest text that reads back as the same double.
std::string Number(double v) {
  char buf[32];
  auto result = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, result.ptr);
}

void Extract(const std::vector<uint8_t>& file, const RmpContents& contents, const std::string& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) throw PlatformError("Cannot create folder " + dir);
  for (const RmpMember& m : contents.members)
    WriteFileAtomically(dir + "/" + m.FileName(), file.data() + m.offset, m.length);
  for (const RmpLayer& layer : contents.layers) {
    const std::string folder = dir + "/" + layer.name;
    std::filesystem::create_directories(folder, error);
    if (error) throw PlatformError("Cannot create folder " + folder);
    for (const RmpTile& t : layer.tileList)
      WriteFileAtomically(folder + "/" + std::to_string(t.column) + "_" + std::to_string(t.row) + ".jpg",
                          file.data() + t.jpegOffset, t.jpegLength);
  }
}

}  // namespace

int RunInspect(const Args& args) {
  std::string path, extractDir;
  bool extract = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kInspectUsage;
      return 0;
    }
    if (arg == "--extract") {
      if (i + 1 >= args.size()) {
        std::cerr << "karovel-rmp inspect: --extract needs a folder\n" << kInspectUsage;
        return 2;
      }
      extract = true;
      extractDir = args[++i];
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "karovel-rmp inspect: unknown option '" << arg << "'\n" << kInspectUsage;
      return 2;
    }
    if (!path.empty()) {
      std::cerr << "karovel-rmp inspect: one RMP file at a time\n" << kInspectUsage;
      return 2;
    }
    path = arg;
  }
  if (path.empty()) {
    std::cerr << kInspectUsage;
    return 2;
  }

  const std::vector<uint8_t> file = ReadWholeFile(path);
  RmpContents contents;
  try {
    contents = InspectRmp(file);
  } catch (const InspectError& e) {
    std::cerr << path << ": " << e.what() << "\n";
    return 1;
  }
  for (const RmpMember& m : contents.members)
    std::cout << "member\t" << m.name << "\t" << m.extension << "\t" << m.offset << "\t" << m.length << "\n";
  for (const RmpLayer& l : contents.layers)
    std::cout << "layer\t" << l.name << "\ttiles " << l.tiles << "\tacross " << l.across << "\tdown "
              << l.down << "\ttile " << Number(l.tileLonSpan) << " x " << Number(l.tileLatSpan) << " degrees"
              << "\tleft " << Number(l.left) << "\ttop " << Number(l.top) << "\tright " << Number(l.right)
              << "\tbottom " << Number(l.bottom) << "\n";
  std::cout << "consistent: " << contents.members.size() << " members, " << contents.layers.size()
            << " layers\n";
  if (extract) Extract(file, contents, extractDir);
  return 0;
}

}  // namespace karovel::tools
