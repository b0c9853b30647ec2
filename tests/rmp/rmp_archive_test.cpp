#include "rmp/rmp_archive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "base/byte_reader.h"
#include "base/platform_error.h"
#include "rmp/icon_chunk.h"
#include "tests/support/temp_dir.h"

namespace karovel::rmp {
namespace {

using testing::TempDir;

struct Member {
  std::string name, extension;
  std::vector<uint8_t> data;
};

std::vector<uint8_t> Write(const std::vector<Member>& members) {
  RmpArchive archive;
  for (const Member& m : members) archive.AddEntry(m.name, m.extension, m.data);
  TempDir dir;
  archive.WriteToFile(dir.File("out.rmp"));
  return testing::ReadFile(dir.File("out.rmp"));
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> IniMember(int layers) {
  std::vector<uint8_t> ini = Bytes(BuildLayerIni("topo", layers));
  ini.push_back(0);
  return ini;
}

std::vector<uint8_t> Chunk() { return {IconChunk().begin(), IconChunk().end()}; }

std::string Field(const std::vector<uint8_t>& file, size_t at, size_t width) {
  return std::string(file.begin() + long(at), file.begin() + long(at + width));
}

TEST(BuildLayerIni, CountsKeysFromZeroAndLayersFromOne) {
  EXPECT_EQ(BuildLayerIni("topo", 0), "[T_Layers]\r\n");
  EXPECT_EQ(BuildLayerIni("topo", 3), "[T_Layers]\r\n0=TOPO1\r\n1=TOPO2\r\n2=TOPO3\r\n");
  const std::string eleven = BuildLayerIni("topo", 11);
  EXPECT_NE(eleven.find("\r\n9=TOPO10\r\n10=TOPO11\r\n"), std::string::npos);
}

TEST(RmpArchive, EmptyContainer) {
  const std::vector<uint8_t> file = Write({{"rmp", "ini", IniMember(0)}, {"chunk", "ics", Chunk()}});
  ASSERT_EQ(file.size(), 1865u);
  ByteReader r(file.data(), file.size());
  EXPECT_EQ(r.U32LEAt(0), 2u);
  EXPECT_EQ(r.U32LEAt(4), 2u);
  EXPECT_EQ(Field(file, 8, 9), std::string("rmp\0\0\0\0\0\0", 9));
  EXPECT_EQ(Field(file, 17, 7), std::string("ini\0\0\0\0", 7));
  EXPECT_EQ(r.U32LEAt(24), 96u);
  EXPECT_EQ(r.U32LEAt(28), 13u);
  EXPECT_EQ(r.U32LEAt(48), 109u);
  EXPECT_EQ(r.U32LEAt(52), 1756u);
  EXPECT_EQ(Field(file, 56, 10), "JJMAGELLAN");
  for (size_t i = 66; i < 96; ++i) EXPECT_EQ(file[i], 0) << i;
  EXPECT_EQ(Field(file, 96, 13), std::string("[T_Layers]\r\n\0", 13));
}

TEST(RmpArchive, OneLayerLayout) {
  const std::vector<uint8_t> tlm(10164, 7), a00(1000, 9);
  const std::vector<uint8_t> file = Write({{"rmp", "ini", IniMember(1)},
                                           {"topo1", "tlm", tlm},
                                           {"topo1", "a00", a00},
                                           {"chunk", "ics", Chunk()}});
  ASSERT_EQ(file.size(), 1922u + tlm.size() + a00.size());
  ByteReader r(file.data(), file.size());
  EXPECT_EQ(r.U32LEAt(0), 4u);
  EXPECT_EQ(r.U32LEAt(4), 4u);
  const uint32_t offsets[] = {144, 166, uint32_t(166 + tlm.size()), uint32_t(166 + tlm.size() + a00.size())};
  const uint32_t lengths[] = {22, uint32_t(tlm.size()), uint32_t(a00.size()), 1756};
  const char* names[] = {"rmp\0\0\0\0\0\0ini\0\0\0\0", "topo1\0\0\0\0tlm\0\0\0\0", "topo1\0\0\0\0a00\0\0\0\0",
                         "chunk\0\0\0\0ics\0\0\0\0"};
  for (size_t j = 0; j < 4; ++j) {
    EXPECT_EQ(Field(file, 8 + 24 * j, 16), std::string(names[j], 16)) << j;
    EXPECT_EQ(r.U32LEAt(24 + 24 * j), offsets[j]) << j;
    EXPECT_EQ(r.U32LEAt(28 + 24 * j), lengths[j]) << j;
  }
  EXPECT_EQ(Field(file, 104, 10), "JJMAGELLAN");
  for (size_t i = 114; i < 144; ++i) EXPECT_EQ(file[i], 0) << i;
  EXPECT_EQ(Field(file, 144, 22), std::string("[T_Layers]\r\n0=TOPO1\r\n\0", 22));
  EXPECT_EQ(file[166], 7);
  EXPECT_EQ(file[166 + tlm.size()], 9);
  EXPECT_EQ(Field(file, file.size() - 1756, 23), "Icon file version 1.0.0");
}

TEST(RmpArchive, TwentyOneLayers) {
  std::vector<Member> members{{"rmp", "ini", IniMember(21)}};
  for (int k = 1; k <= 21; ++k) {
    members.push_back({"topo" + std::to_string(k), "tlm", std::vector<uint8_t>(size_t(k), 1)});
    members.push_back({"topo" + std::to_string(k), "a00", std::vector<uint8_t>(size_t(k), 2)});
  }
  members.push_back({"chunk", "ics", Chunk()});
  const std::vector<uint8_t> file = Write(members);
  ByteReader r(file.data(), file.size());
  EXPECT_EQ(r.U32LEAt(0), 44u);
  EXPECT_EQ(r.U32LEAt(24), 1104u);
  EXPECT_EQ(Field(file, 8 + 24 * 41, 9), std::string("topo21\0\0\0", 9));
  const std::string ini = BuildLayerIni("topo", 21);
  EXPECT_EQ(ini.substr(ini.size() - 11), "20=TOPO21\r\n");
  // The offsets run on without gaps.
  uint32_t expected = 1104;
  for (size_t j = 0; j < 44; ++j) {
    EXPECT_EQ(r.U32LEAt(24 + 24 * j), expected) << j;
    expected += r.U32LEAt(28 + 24 * j);
  }
  EXPECT_EQ(expected, file.size());
}

// The fill after the trailer text reaches the next multiple of 16 and is never a whole 16 bytes.
class TrailerFill : public ::testing::TestWithParam<int> {};

TEST_P(TrailerFill, ReachesTheNextMultipleOfSixteen) {
  const int entries = GetParam();
  std::vector<Member> members;
  for (int j = 0; j < entries; ++j) members.push_back({"m" + std::to_string(j), "x", {uint8_t(j)}});
  const std::vector<uint8_t> file = Write(members);
  const size_t textEnd = 18 + 24 * size_t(entries);
  const size_t fill = entries % 2 == 0 ? 14 : 6;
  const size_t d = textEnd + fill + 16;
  EXPECT_EQ(d % 16, 0u);
  EXPECT_EQ(RmpArchive::DirectorySize(uint32_t(entries)), d);
  EXPECT_EQ(file.size(), d + size_t(entries));
  for (size_t i = textEnd; i < d; ++i) EXPECT_EQ(file[i], 0) << i;
  if (entries > 0) {
    EXPECT_EQ(ByteReader(file.data(), file.size()).U32LEAt(24), d);
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, TrailerFill, ::testing::Values(0, 1, 2, 3, 4, 7, 44));

TEST(RmpArchive, FullWidthFieldsAndZeroLengthEntries) {
  const std::vector<uint8_t> file = Write({{"ninechars", "sevench", {}}, {"b", "c", {1, 2, 3}}});
  EXPECT_EQ(Field(file, 8, 16), "ninecharssevench");
  ByteReader r(file.data(), file.size());
  EXPECT_EQ(r.U32LEAt(28), 0u);
  EXPECT_EQ(r.U32LEAt(24), r.U32LEAt(48));
}

TEST(RmpArchive, LongNamesAreRejectedNotCut) {
  RmpArchive archive;
  EXPECT_THROW(archive.AddEntry("tenletters", "ini", {}), std::length_error);
  EXPECT_THROW(archive.AddEntry("rmp", "eightchr", {}), std::length_error);
  EXPECT_EQ(archive.entryCount, 0u);
  EXPECT_EQ(archive.directory.Size(), 8u);
}

TEST(RmpArchive, AFilePastTheLimitIsRefusedWhileAdding) {
  RmpArchive archive;
  archive.sizeLimit = 1000;
  archive.AddEntry("a", "b", std::vector<uint8_t>(900, 1));  // 64 + 900 bytes
  try {
    archive.AddEntry("c", "d", std::vector<uint8_t>(100, 1));
    FAIL();
  } catch (const PlatformError& e) {
    EXPECT_NE(std::string(e.what()).find("1096 bytes"), std::string::npos) << e.what();
  }
  EXPECT_EQ(archive.entryCount, 1u);
}

}  // namespace
}  // namespace karovel::rmp
