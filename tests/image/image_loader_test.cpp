// The loader: content before extension, the one failure message, the host's slot and hooks, progress,
// and the open-dialog filter.
#include "image/image_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "tests/image/decode_check.h"

namespace karovel::testing {
namespace {

using Message = RecordingMessageSink::Message;

struct Host {
  RecordingMessageSink messages;
  image::ImageHost host;
  int repaints = 0;
  int loads = 0;
  std::vector<std::pair<LoadStage, int>> progress;

  Host() {
    host.messages = &messages;
    host.repaint = [this] { ++repaints; };
    host.loaded = [this](const image::WorkingBitmap&) { ++loads; };
    host.progress = [this](LoadStage stage, int percent) { progress.push_back({stage, percent}); };
  }
  bool Load(const std::string& path) { return image::LoadWorkingImage(host, path); }
};

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

TEST(ImageLoader, ContentComesBeforeTheExtension) {
  TempDir dir;
  RgbImage picture = PatternImage(40, 30);
  WriteFile(dir.File("map.jpg"), EncodePng(picture));
  Host h;
  ASSERT_TRUE(h.Load(dir.File("map.jpg")));
  EXPECT_TRUE(SamePixels(*h.host.workingBitmap, picture));
  EXPECT_EQ(ChosenFamily(EncodePng(picture), "map.jpg"), "Portable network graphic images");
  EXPECT_TRUE(h.messages.messages.empty());
  EXPECT_EQ(h.loads, 1);
  EXPECT_EQ(h.repaints, 1);
}

TEST(ImageLoader, ExtensionsIgnoreCase) {
  TempDir dir;
  std::vector<uint8_t> jpeg = EncodeJpeg(PatternImage(50, 20));
  WriteFile(dir.File("photo.jpg"), jpeg);
  WriteFile(dir.File("photo.JPG"), jpeg);
  Host lower, upper;
  ASSERT_TRUE(lower.Load(dir.File("photo.jpg")));
  ASSERT_TRUE(upper.Load(dir.File("photo.JPG")));
  const image::WorkingBitmap &a = *lower.host.workingBitmap, &b = *upper.host.workingBitmap;
  ASSERT_EQ(a.width, b.width);
  ASSERT_EQ(a.height, b.height);
  EXPECT_EQ(0, std::memcmp(a.pixels.get(), b.pixels.get(), a.RowBytes() * size_t(a.height)));
}

struct FailingFile {
  const char* name;  // also the test's name, with the dot replaced
  std::vector<uint8_t> bytes;
};

class LoadFailure : public ::testing::TestWithParam<FailingFile> {};

// Every failure: false, the one message with the bare file name, an empty bitmap in the slot, the view
// left alone.
TEST_P(LoadFailure, GivesTheOneMessage) {
  TempDir dir;
  const std::string path = dir.File(GetParam().name);
  WriteFile(path, GetParam().bytes);
  Host h;
  WriteBmpFile(dir.File("before.bmp"), 8, 8);
  ASSERT_TRUE(h.Load(dir.File("before.bmp")));
  EXPECT_FALSE(h.Load(path));
  ASSERT_NE(h.host.workingBitmap, nullptr);
  EXPECT_TRUE(h.host.workingBitmap->Empty());
  EXPECT_EQ(h.host.workingBitmap->width, 0);
  EXPECT_EQ(h.host.workingBitmap->height, 0);
  EXPECT_EQ(h.messages.messages,
            (std::vector<Message>{{"Cannot load image\r\n" + std::string(GetParam().name), "Error"}}));
  EXPECT_EQ(h.loads, 1);
  EXPECT_EQ(h.repaints, 2);
}

std::vector<uint8_t> Truncated(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

// A 24-bit bitmap header claiming 100000 x 100000 pixels, followed by a few bytes.
std::vector<uint8_t> HugeBitmap() {
  std::vector<uint8_t> f = Truncated(EncodeBmp24(PatternImage(2, 2)), 54);
  for (int at : {18, 22}) f[at] = 0xA0, f[at + 1] = 0x86, f[at + 2] = 0x01, f[at + 3] = 0;
  f.insert(f.end(), 16, 0x55);
  return f;
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadFailure,
    ::testing::Values(
        FailingFile{"icon.ico",
                    Bytes(std::string("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0", 14) + std::string(80, '\x11'))},
        FailingFile{"drawing.wmf", Bytes(std::string("\xD7\xCD\xC6\x9A\0\0", 6) + std::string(80, '\x01'))},
        FailingFile{"drawing.emf", Bytes(std::string("\x01\0\0\0\x6C\0\0\0", 8) + std::string(32, '\0') +
                                         " EMF" + std::string(60, '\x02'))},
        FailingFile{"noextension", Bytes("just some words, no picture at all\n")},
        FailingFile{"unknown.xyz", EncodeBmp24(PatternImage(4, 4))}, FailingFile{"empty.png", {}},
        FailingFile{"empty.bmp", {}},
        FailingFile{"short.jpg", Truncated(EncodeJpeg(PatternImage(64, 64)), 300)},
        FailingFile{"short.png", Truncated(EncodePng(PatternImage(64, 64)), 100)},
        FailingFile{"short.bmp", Truncated(EncodeBmp24(PatternImage(64, 64)), 1000)},
        FailingFile{"huge.bmp", HugeBitmap()},
        FailingFile{"garbage.gif", Bytes(std::string("GIF89a") + std::string(20, '\xFF'))}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name)
        if (c == '.') c = '_';
      return name;
    });

TEST(ImageLoader, MissingFilesAndFolders) {
  TempDir dir;
  ASSERT_EQ(::mkdir(dir.File("maps.bmp").c_str(), 0755), 0);
  for (const char* name : {"maps.bmp", "gone.png"}) {
    Host h;
    EXPECT_FALSE(h.Load(dir.File(name)));
    EXPECT_EQ(h.messages.messages,
              (std::vector<Message>{{"Cannot load image\r\n" + std::string(name), "Error"}}));
    EXPECT_TRUE(h.host.workingBitmap->Empty());
  }
}

TEST(ImageLoader, UnreadableFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads everything";
  TempDir dir;
  WriteBmpFile(dir.File("locked.bmp"), 4, 4);
  ASSERT_EQ(::chmod(dir.File("locked.bmp").c_str(), 0), 0);
  Host h;
  EXPECT_FALSE(h.Load(dir.File("locked.bmp")));
  EXPECT_EQ(h.messages.messages.size(), 1u);
}

TEST(ImageLoader, MessageNamesTheFileWithoutItsFolder) {
  Host h;
  EXPECT_FALSE(h.Load("C:\\maps\\alps\\castle.png"));
  EXPECT_FALSE(h.Load("/no/such/folder/river.bmp"));
  EXPECT_EQ(h.messages.messages, (std::vector<Message>{{"Cannot load image\r\ncastle.png", "Error"},
                                                       {"Cannot load image\r\nriver.bmp", "Error"}}));
}

TEST(ImageLoader, WorksWithoutHooks) {
  TempDir dir;
  WriteBmpFile(dir.File("a.bmp"), 5, 3);
  image::ImageHost host;
  EXPECT_TRUE(image::LoadWorkingImage(host, dir.File("a.bmp")));
  EXPECT_EQ(host.workingBitmap->width, 5);
  EXPECT_FALSE(image::LoadWorkingImage(host, dir.File("b.bmp")));
  EXPECT_TRUE(host.workingBitmap->Empty());
}

// Start, then running percentages rising to 100, then end; nothing at all for a file that no decoder
// takes; a decode that fails half-way still ends.
TEST(ImageLoader, ProgressStartRunningEnd) {
  TempDir dir;
  WriteBmpFile(dir.File("tall.bmp"), 3, 500);
  Host h;
  ASSERT_TRUE(h.Load(dir.File("tall.bmp")));
  ASSERT_GE(h.progress.size(), 3u);
  EXPECT_EQ(h.progress.front().first, LoadStage::Starting);
  EXPECT_EQ(h.progress.back().first, LoadStage::Ending);
  int last = -1;
  for (size_t i = 1; i + 1 < h.progress.size(); ++i) {
    EXPECT_EQ(h.progress[i].first, LoadStage::Running);
    EXPECT_GT(h.progress[i].second, last);
    last = h.progress[i].second;
  }
  EXPECT_EQ(last, 100);

  h.progress.clear();
  WriteFile(dir.File("icon.ico"), {0, 0, 1, 0});
  EXPECT_FALSE(h.Load(dir.File("icon.ico")));
  EXPECT_TRUE(h.progress.empty());

  WriteFile(dir.File("cut.bmp"), Truncated(EncodeBmp24(PatternImage(64, 64)), 5000));
  EXPECT_FALSE(h.Load(dir.File("cut.bmp")));
  ASSERT_FALSE(h.progress.empty());
  EXPECT_EQ(h.progress.front().first, LoadStage::Starting);
  EXPECT_EQ(h.progress.back().first, LoadStage::Ending);
}

// The rows hook: JPEG and PNG report their rows while they decode, every family the whole picture at
// the end; a new load and a failed decode withdraw the bitmap (nullptr) before it is released.
TEST(ImageLoader, RowsDecodedHook) {
  TempDir dir;
  const RgbImage picture = PatternImage(40, 300);
  WriteFile(dir.File("a.jpg"), EncodeJpeg(picture));
  WriteFile(dir.File("b.png"), EncodePng(picture));
  WriteBmpFile(dir.File("c.bmp"), 7, 5);
  const std::vector<uint8_t> jpeg = EncodeJpeg(picture);
  WriteFile(dir.File("cut.jpg"), Truncated(jpeg, jpeg.size() / 2));
  image::ImageHost host;
  std::vector<std::pair<const image::WorkingBitmap*, int32_t>> calls;
  host.rowsDecoded = [&](const image::WorkingBitmap* b, int32_t rows) { calls.push_back({b, rows}); };

  for (const char* name : {"a.jpg", "b.png"}) {
    calls.clear();
    ASSERT_TRUE(image::LoadWorkingImage(host, dir.File(name))) << name;
    ASSERT_GE(calls.size(), 4u) << name;
    EXPECT_EQ(calls.front().first, nullptr);
    int32_t last = 0;
    for (size_t i = 1; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i].first, host.workingBitmap.get());
      EXPECT_GE(calls[i].second, last);
      last = calls[i].second;
    }
    EXPECT_EQ(last, 300) << name;
  }
  calls.clear();
  ASSERT_TRUE(image::LoadWorkingImage(host, dir.File("c.bmp")));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].first, nullptr);
  EXPECT_EQ(calls[1], std::make_pair<const image::WorkingBitmap*>(host.workingBitmap.get(), 5));

  calls.clear();
  EXPECT_FALSE(image::LoadWorkingImage(host, dir.File("cut.jpg")));
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front().first, nullptr);
  EXPECT_EQ(calls.back().first, nullptr);
  for (const auto& call : calls) EXPECT_LT(call.second, 300);
}

TEST(ImageLoader, FilterText) {
  const std::string all =
      "*.bmp; *.bw; *.cel; *.cut; *.dib; *.emf; *.eps; *.fax; *.icb; *.ico; *.jfif; *.jpe; *.jpeg; *.jpg; "
      "*.pbm; *.pcc; *.pcd; *.pcx; *.pdd; *.pgm; *.pic; *.png; *.ppm; *.psd; *.psp; *.rgb; *.rgba; *.rla; "
      "*.rle; *.rpf; *.scr; *.sgi; *.tga; *.tif; *.tiff; *.vda; *.vst; *.win; *.wmf";
  const char* const families[][2] = {
      {"Alias/Wavefront images", "*.rla; *.rpf"},
      {"Autodesk images", "*.cel; *.pic"},
      {"Dr. Halo images", "*.cut"},
      {"Encapsulated Postscript images", "*.eps"},
      {"JPG images", "*.jfif; *.jpe; *.jpeg; *.jpg"},
      {"Kodak Photo-CD images", "*.pcd"},
      {"Paintshop Pro images", "*.psp"},
      {"Photoshop images", "*.pdd; *.psd"},
      {"Portable map images", "*.pbm; *.pgm; *.ppm"},
      {"Portable network graphic images", "*.png"},
      {"SGI images", "*.bw; *.rgb; *.rgba; *.sgi"},
      {"Tagged image file format images", "*.fax; *.tif; *.tiff"},
      {"Truevision images", "*.icb; *.tga; *.vda; *.vst; *.win"},
      {"Windows bitmaps", "*.bmp; *.dib; *.rle"},
      {"Windows icons", "*.ico"},
      {"Windows metafiles", "*.emf; *.wmf"},
      {"ZSoft Paintbrush images", "*.pcc; *.pcx; *.scr"},
  };
  std::string expected = "All images|" + all;
  for (const auto& f : families) expected += std::string("|") + f[0] + " (" + f[1] + ")|" + f[1];
  EXPECT_EQ(image::ImageFileFilter(), expected);
  size_t patterns = 0;
  for (size_t at = all.find("*."); at != std::string::npos; at = all.find("*.", at + 1)) ++patterns;
  EXPECT_EQ(patterns, 39u);
}

}  // namespace
}  // namespace karovel::testing
