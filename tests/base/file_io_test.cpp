#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/file_io.h"
#include "base/platform_error.h"
#include "tests/support/temp_dir.h"

namespace karovel {
namespace {

using testing::TempDir;

size_t FilesIn(const std::string& dir) {
  size_t n = 0;
  for (auto& e : std::filesystem::directory_iterator(dir)) (void)e, ++n;
  return n;
}

TEST(WriteFileAtomically, ReplacesTheTargetWhole) {
  TempDir dir;
  std::string path = dir.File("out.bin");
  testing::WriteTextFile(path, "old contents");
  WriteFileAtomically(path, "new", 3);
  EXPECT_EQ(testing::ReadTextFile(path), "new");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(WriteFileAtomically, AnInterruptedWriteLeavesThePreviousFile) {
  TempDir dir;
  std::string path = dir.File("out.bin");
  testing::WriteTextFile(path, "old contents");
  beforeAtomicRename = [](const std::string&) { throw PlatformError("killed"); };
  EXPECT_THROW(WriteFileAtomically(path, "new", 3), PlatformError);
  beforeAtomicRename = nullptr;
  EXPECT_EQ(testing::ReadTextFile(path), "old contents");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(WriteFileAtomically, AnUnwritableFolderGivesCannotCreate) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
  TempDir dir;
  ::chmod(dir.path().c_str(), 0500);
  try {
    WriteFileAtomically(dir.File("x.rmp"), "a", 1);
    FAIL();
  } catch (const PlatformError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.File("x.rmp"));
  }
}

TEST(WriteFileAtomically, AMissingFolderGivesCannotCreate) {
  TempDir dir;
  std::string path = dir.File("missing/x.gmap");
  EXPECT_THROW(WriteFileAtomically(path, "a", 1), PlatformError);
}

TEST(ReadWholeFile, MissingFileAndFolderAreErrors) {
  TempDir dir;
  EXPECT_THROW(ReadWholeFile(dir.File("none")), PlatformError);
  EXPECT_THROW(ReadWholeFile(dir.path()), PlatformError);
  testing::WriteTextFile(dir.File("empty"), "");
  EXPECT_TRUE(ReadWholeFile(dir.File("empty")).empty());
}

TEST(PathParts, BothSeparatorsCount) {
  EXPECT_EQ(FileNamePart("C:\\maps\\valley.jpg"), "valley.jpg");
  EXPECT_EQ(FileNamePart("/a/b.png"), "b.png");
  EXPECT_EQ(FileNamePart("plain"), "plain");
  EXPECT_EQ(FolderPart("/a/b/c.rmp"), "/a/b");
  EXPECT_EQ(FolderPart("c.rmp"), "");
  EXPECT_EQ(FolderPart("/c.rmp"), "/");
}

}  // namespace
}  // namespace karovel
