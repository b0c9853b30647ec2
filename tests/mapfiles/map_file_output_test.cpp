// A map file write that fails part way leaves the previous file as it was, and says why (the writer
// killed before its rename is MapFileTest.AFailedWriteLeavesThePreviousFile).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "base/platform_error.h"
#include "catalogue/map_catalogue.h"
#include "mapfiles/map_file.h"
#include "tests/support/output_faults.h"
#include "tests/support/temp_dir.h"

namespace karovel::mapfiles {
namespace {

using karovel::testing::TempDir;

struct OutputFault {
  const char* name;
  std::function<std::unique_ptr<void, void (*)(void*)>()> arm;  // the fault lasts while this lives
  bool intoMissingFolder;
  const char* message;  // "" for the target's "Cannot create file <path>"
};

template <typename Guard>
std::unique_ptr<void, void (*)(void*)> Hold(Guard* guard) {
  return {guard, [](void* g) { delete static_cast<Guard*>(g); }};
}

class MapFileOutputFault : public ::testing::TestWithParam<OutputFault> {};

TEST_P(MapFileOutputFault, LeavesThePreviousFileIntact) {
  TempDir dir;
  // The ten rows of an empty catalogue still give ten records, more than the full disk takes.
  catalogue::MapCatalogue catalogue;
  const int rows = catalogue::InitialGridRows;
  const std::string path = GetParam().intoMissingFolder ? dir.File("gone/all.gmap") : dir.File("all.gmap");
  const std::string previous = "Path=old.bmp\r\nWexaname=old\r\nCalib=0\r\n";
  if (!GetParam().intoMissingFolder) karovel::testing::WriteTextFile(path, previous);
  const size_t filesBefore = karovel::testing::FilesIn(dir.path());

  std::string error;
  {
    auto fault = GetParam().arm();
    try {
      WriteMapFileRows(catalogue, 1, rows, path);
    } catch (const PlatformError& e) {
      error = e.what();
    }
  }
  const std::string expected = *GetParam().message ? GetParam().message : "Cannot create file " + path;
  EXPECT_EQ(error, expected);
  EXPECT_EQ(karovel::testing::FilesIn(dir.path()), filesBefore) << "a temporary file was left behind";
  if (GetParam().intoMissingFolder) return;
  EXPECT_EQ(karovel::testing::ReadTextFile(path), previous);

  // Without the fault the same write goes through.
  {
    WriteMapFileRows(catalogue, 1, rows, path);
    EXPECT_EQ(karovel::testing::ReadTextFile(path), MapFileText(catalogue, 1, rows));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MapFileOutputFault,
    ::testing::Values(OutputFault{"DiskFull", [] { return Hold(new karovel::testing::DiskFullAfter(200)); },
                                  false, "Stream write error"},
                      OutputFault{"MissingFolder", [] { return Hold(new int(0)); }, true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace karovel::mapfiles
