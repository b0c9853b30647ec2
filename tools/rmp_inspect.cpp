#include "tools/rmp_inspect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "base/byte_reader.h"
#include "rmp/icon_chunk.h"
#include "rmp/rmp_archive.h"

namespace karovel::tools {

namespace {

constexpr size_t BlockSize = 1992;
constexpr size_t FirstBlock = 4188;
constexpr size_t TreeHeader = 256;

std::string Hex(uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
  return buf;
}

// Reads one member with offsets reported in file terms.
class Checker {
 public:
  Checker(const std::vector<uint8_t>& file, std::string member, size_t base, size_t size)
      : reader_(file.data() + base, size), member_(std::move(member)), base_(base) {}

  [[noreturn]] void Fail(size_t at, const std::string& expected, const std::string& found) const {
    throw InspectError(member_ + " at file offset " + std::to_string(base_ + at) + " (member offset " +
                       std::to_string(at) + "): expected " + expected + ", found " + found);
  }
  void NeedSize(size_t at, size_t n) const {
    if (at > reader_.Size() || reader_.Size() - at < n)
      Fail(at, std::to_string(n) + " more bytes",
           std::to_string(at > reader_.Size() ? 0 : reader_.Size() - at));
  }
  uint32_t U32(size_t at) const {
    NeedSize(at, 4);
    return reader_.U32LEAt(at);
  }
  int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }
  double F64(size_t at) const {
    NeedSize(at, 8);
    return reader_.F64LEAt(at);
  }
  void Expect(size_t at, int64_t expected, int64_t found) const {
    if (expected != found) Fail(at, std::to_string(expected), std::to_string(found));
  }
  void ExpectU32(size_t at, uint32_t expected) const { Expect(at, expected, U32(at)); }
  void ExpectZeros(size_t from, size_t to) const {
    NeedSize(from, to - from);
    for (size_t i = from; i < to; ++i)
      if (reader_.U8At(i) != 0) Fail(i, "0", std::to_string(reader_.U8At(i)));
  }
  void ExpectBytes(size_t at, const uint8_t* expected, size_t n, const std::string& what) const {
    NeedSize(at, n);
    for (size_t i = 0; i < n; ++i)
      if (reader_.U8At(at + i) != expected[i])
        Fail(at + i, what + " byte " + Hex(expected[i]), Hex(reader_.U8At(at + i)));
  }
  size_t Size() const { return reader_.Size(); }
  size_t Base() const { return base_; }

 private:
  ByteReader reader_;
  std::string member_;
  size_t base_;
};

std::string TextField(const Checker& c, const std::vector<uint8_t>& file, size_t at, size_t width) {
  c.NeedSize(at, width);
  std::string text;
  size_t i = 0;
  for (; i < width && file[at + i] != 0; ++i) text.push_back(char(file[at + i]));
  for (; i < width; ++i)
    if (file[at + i] != 0) c.Fail(at + i, "zero fill", Hex(file[at + i]));
  return text;
}

// The a00 member: the lengths and streams of the tiles in table order; returns the member offsets of
// the length fields.
std::vector<size_t> CheckA00(const Checker& c, std::vector<uint32_t>& lengths) {
  const uint32_t count = c.U32(0);
  std::vector<size_t> fields;
  size_t pos = 4;
  for (uint32_t t = 0; t < count; ++t) {
    const uint32_t length = c.U32(pos);
    if (length < 4) c.Fail(pos, "a tile length of at least 4", std::to_string(length));
    c.NeedSize(pos + 4, length);
    const uint8_t soi[2] = {0xFF, 0xD8};
    c.ExpectBytes(pos + 4, soi, 2, "JPEG start");
    fields.push_back(pos);
    lengths.push_back(length);
    pos += 4 + size_t(length);
  }
  if (pos != c.Size())
    c.Fail(pos, "end of member after " + std::to_string(count) + " tiles",
           std::to_string(c.Size() - pos) + " more bytes");
  return fields;
}

struct TlmEntry {
  int32_t column, row;
  uint32_t a00Offset;
  size_t at;
};

void ReadEntries(const Checker& c, size_t block, int32_t count, std::vector<TlmEntry>& out) {
  for (int32_t s = 0; s < count; ++s) {
    const size_t at = block + 8 + 16 * size_t(s);
    c.Expect(at + 8, 0, c.I32(at + 8));
    out.push_back({c.I32(at), c.I32(at + 4), c.U32(at + 12), at});
  }
}

size_t BlockOfReference(const Checker& c, size_t at, uint32_t reference) {
  const uint64_t offset = uint64_t(reference) + TreeHeader;
  if (offset < FirstBlock || (offset - FirstBlock) % BlockSize != 0 || offset + BlockSize > c.Size())
    c.Fail(at, "a block reference inside the file", std::to_string(reference));
  return size_t(offset);
}

// A leaf: its count, the leaf flag, its entries; an all-zero block counts as an empty leaf only where
// the layer's last tile is a key.
void ReadLeaf(const Checker& c, size_t block, bool mayBeEmpty, std::vector<TlmEntry>& out) {
  const int32_t count = c.I32(block);
  if (count == 0 && mayBeEmpty) {
    c.ExpectZeros(block, block + BlockSize);
    return;
  }
  if (count < 1 || count > 70) c.Fail(block, "a leaf of 1 to 70 tiles", std::to_string(count));
  c.Expect(block + 4, count + 65536, c.I32(block + 4));
  ReadEntries(c, block, count, out);
  c.ExpectZeros(block + 8 + 16 * size_t(count), block + BlockSize);
}

RmpLayer CheckLayer(const std::vector<uint8_t>& file, const RmpMember& tlmMember,
                    const RmpMember& a00Member) {
  const Checker a00(file, a00Member.FileName(), a00Member.offset, a00Member.length);
  std::vector<uint32_t> lengths;
  const std::vector<size_t> fields = CheckA00(a00, lengths);

  const Checker c(file, tlmMember.FileName(), tlmMember.offset, tlmMember.length);
  RmpLayer layer;
  layer.name = tlmMember.name;
  c.Expect(0, 1, c.I32(0));
  const int32_t n = c.I32(4);
  c.Expect(4, int64_t(fields.size()), n);
  c.ExpectU32(8, 0x01000100u);
  c.Expect(12, 1, c.I32(12));
  layer.tiles = n;
  layer.tileLatSpan = c.F64(16);
  layer.tileLonSpan = c.F64(24);
  layer.left = c.F64(32);
  layer.top = c.F64(40);
  layer.right = c.F64(48);
  layer.bottom = c.F64(56);
  if (!(layer.tileLatSpan > 0)) c.Fail(16, "a positive tile height", std::to_string(layer.tileLatSpan));
  if (!(layer.tileLonSpan > 0)) c.Fail(24, "a positive tile width", std::to_string(layer.tileLonSpan));
  c.ExpectZeros(64, 152);
  c.Expect(152, int64_t(TreeHeader), c.I32(152));
  c.Expect(156, int64_t(c.Size()), c.I32(156));
  c.ExpectZeros(160, 256);
  c.Expect(256, 1, c.I32(256));
  c.Expect(260, 99, c.I32(260));
  const uint32_t rootReference = c.U32(264);
  c.ExpectZeros(268, FirstBlock);

  std::vector<TlmEntry> entries;
  size_t lastBlock = 0;
  if (rootReference == FirstBlock - TreeHeader) {
    ReadLeaf(c, FirstBlock, false, entries);
  } else {
    c.Expect(264, int64_t(FirstBlock + BlockSize - TreeHeader), rootReference);
    const size_t root = FirstBlock + BlockSize;
    c.NeedSize(root, BlockSize);
    c.Expect(root, n, c.I32(root));
    const int32_t keys = c.I32(root + 4);
    if (keys < 1 || keys > 99) c.Fail(root + 4, "1 to 99 keys in the root", std::to_string(keys));
    std::vector<TlmEntry> keyEntries;
    ReadEntries(c, root, keys, keyEntries);
    c.ExpectZeros(root + 8 + 16 * size_t(keys), root + 1592);
    for (int32_t child = 0; child <= keys; ++child) {
      const size_t at = root + 1592 + 4 * size_t(child);
      const size_t block = BlockOfReference(c, at, c.U32(at));
      if (block == root) c.Fail(at, "a leaf reference", "the root's own");
      lastBlock = std::max(lastBlock, (block - FirstBlock) / BlockSize);
      ReadLeaf(c, block, child == keys, entries);
      if (child < keys) entries.push_back(keyEntries[size_t(child)]);
    }
    c.ExpectZeros(root + 1592 + 4 * size_t(keys + 1), root + BlockSize);
  }
  // The tree ends with two all-zero blocks after the last one used.
  c.Expect(156, int64_t(10164 + BlockSize * lastBlock), int64_t(c.Size()));
  c.ExpectZeros(FirstBlock + BlockSize * (lastBlock + 1), c.Size());
  if (int64_t(entries.size()) != n)
    c.Fail(4, std::to_string(n) + " tiles in the tree", std::to_string(entries.size()));

  // Column by column in index order, row by row in the tile data.
  if (n > 0) {
    const int32_t firstColumn = entries[0].column, firstRow = entries[0].row;
    int32_t down = 0;
    while (down < n && entries[size_t(down)].column == firstColumn) ++down;
    if (n % down != 0)
      c.Fail(entries[0].at, "whole columns of " + std::to_string(down) + " tiles",
             std::to_string(n) + " tiles");
    layer.down = down;
    layer.across = n / down;
    for (int32_t k = 0; k < n; ++k) {
      const TlmEntry& e = entries[size_t(k)];
      const int32_t a = k / down, b = k % down;
      c.Expect(e.at, firstColumn + a, e.column);
      c.Expect(e.at + 4, firstRow + b, e.row);
      const size_t record = size_t(b) * size_t(layer.across) + size_t(a);
      c.Expect(e.at + 12, int64_t(fields[record]), e.a00Offset);
      layer.tileList.push_back(
          {e.column, e.row, uint32_t(a00Member.offset + fields[record] + 4), lengths[record]});
    }
  }
  return layer;
}

}  // namespace

RmpContents InspectRmp(const std::vector<uint8_t>& file) {
  RmpContents out;
  const Checker c(file, "container", 0, file.size());
  const uint32_t count = c.U32(0);
  c.Expect(4, count, c.U32(4));
  c.NeedSize(8, 24 * uint64_t(count));
  const size_t trailer = 8 + 24 * size_t(count);
  const uint8_t magic[] = {0x4A, 0x4A, 'M', 'A', 'G', 'E', 'L', 'L', 'A', 'N'};
  c.ExpectBytes(trailer, magic, sizeof magic, "trailer");
  const size_t d = size_t(rmp::RmpArchive::DirectorySize(count));
  c.ExpectZeros(trailer + sizeof magic, d);

  uint64_t running = d;
  for (uint32_t j = 0; j < count; ++j) {
    const size_t at = 8 + 24 * size_t(j);
    RmpMember m;
    m.name = TextField(c, file, at, 9);
    m.extension = TextField(c, file, at + 9, 7);
    m.offset = c.U32(at + 16);
    m.length = c.U32(at + 20);
    c.Expect(at + 16, int64_t(running), m.offset);
    running += m.length;
    out.members.push_back(m);
  }
  if (running != file.size())
    c.Fail(file.size(), "a file of " + std::to_string(running) + " bytes",
           std::to_string(file.size()) + " bytes");

  // rmp.ini, topoK.tlm and topoK.a00 per layer, chunk.ics.
  auto expectMember = [&](size_t j, const std::string& name, const std::string& extension) {
    const size_t at = 8 + 24 * j;
    if (j >= out.members.size()) c.Fail(at, "member " + name + "." + extension, "end of directory");
    if (out.members[j].name != name || out.members[j].extension != extension)
      c.Fail(at, "member " + name + "." + extension, "member " + out.members[j].FileName());
  };
  if (count < 2 || count % 2 != 0) c.Fail(0, "an even entry count of at least 2", std::to_string(count));
  const int layers = int(count / 2 - 1);
  expectMember(0, "rmp", "ini");
  for (int k = 1; k <= layers; ++k) {
    expectMember(size_t(2 * k - 1), "topo" + std::to_string(k), "tlm");
    expectMember(size_t(2 * k), "topo" + std::to_string(k), "a00");
  }
  expectMember(count - 1, "chunk", "ics");

  std::string ini = rmp::BuildLayerIni("topo", layers);
  ini.push_back('\0');
  const RmpMember& iniMember = out.members[0];
  const Checker iniCheck(file, "rmp.ini", iniMember.offset, iniMember.length);
  iniCheck.Expect(0, int64_t(ini.size()), iniMember.length);
  iniCheck.ExpectBytes(0, reinterpret_cast<const uint8_t*>(ini.data()), ini.size(), "layer list");

  const RmpMember& chunk = out.members.back();
  const Checker chunkCheck(file, "chunk.ics", chunk.offset, chunk.length);
  chunkCheck.Expect(0, int64_t(rmp::IconChunkSize), chunk.length);
  chunkCheck.ExpectBytes(0, rmp::IconChunk().data(), rmp::IconChunkSize, "icon chunk");

  for (int k = 1; k <= layers; ++k)
    out.layers.push_back(CheckLayer(file, out.members[size_t(2 * k - 1)], out.members[size_t(2 * k)]));
  return out;
}

}  // namespace karovel::tools
