#include "image/image_loader.h"

#include <algorithm>
#include <cctype>
#include <exception>

#include "base/file_io.h"
#include "base/page_release.h"

namespace karovel::image {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string ExtensionOf(const std::string& path) {
  std::string name = FileNamePart(path);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : Lower(name.substr(dot + 1));
}

std::string Patterns(std::vector<std::string> extensions) {
  std::sort(extensions.begin(), extensions.end(),
            [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
  std::string out;
  for (const std::string& e : extensions) {
    if (!out.empty()) out += "; ";
    out += "*." + e;
  }
  return out;
}

}  // namespace

const ImageFamily* ChooseFamily(const std::string& path, const uint8_t* data, size_t size) {
  for (const ImageFamily& family : ImageFamilies())
    if (family.contentTest && family.contentTest(data, size)) return &family;
  std::string extension = ExtensionOf(path);
  if (extension.empty()) return nullptr;
  for (const ImageFamily& family : ImageFamilies())
    for (const std::string& e : family.extensions)
      if (e == extension) return &family;
  return nullptr;
}

const ImageFamily* DecodeImageFile(const std::string& path, WorkingBitmap& out,
                                   const ImageLoadProgressFn& progress, const RowsDecodedFn& rowsDecoded) {
  out = WorkingBitmap{};
  bool started = false;
  try {
    std::vector<uint8_t> data = ReadWholeFile(path);
    const ImageFamily* family = ChooseFamily(path, data.data(), data.size());
    if (!family || !family->decode) return nullptr;
    if (progress) progress(LoadStage::Starting, 0);
    started = true;
    RowProgress running;
    if (progress) running = [&progress](int percent) { progress(LoadStage::Running, percent); };
    PageReleaser pages(data.data(), data.size());
    DecodeInput input{data.data(), data.size(), path, [&pages](size_t offset) { pages.Consumed(offset); }};
    input.rowsDecoded = rowsDecoded;
    family->decode(input, out, running);
    if (progress) progress(LoadStage::Ending, 100);
    if (out.Empty()) return nullptr;
    if (rowsDecoded) rowsDecoded(&out, out.height);
    return family;
  } catch (const std::exception&) {
  } catch (...) {
  }
  if (rowsDecoded) rowsDecoded(nullptr, 0);
  out = WorkingBitmap{};
  if (started && progress) progress(LoadStage::Ending, 100);
  return nullptr;
}

bool LoadWorkingImage(ImageHost& host, const std::string& path) {
  if (host.repaint) host.repaint();
  if (host.rowsDecoded) host.rowsDecoded(nullptr, 0);
  host.workingBitmap = std::make_unique<WorkingBitmap>();
  host.family = DecodeImageFile(path, *host.workingBitmap, host.progress, host.rowsDecoded);
  if (host.family) {
    if (host.loaded) host.loaded(*host.workingBitmap);
    return true;
  }
  if (host.messages) host.messages->Show("Cannot load image\r\n" + FileNamePart(path), "Error");
  return false;
}

std::string ImageFileFilter() {
  std::vector<const ImageFamily*> families;
  std::vector<std::string> all;
  for (const ImageFamily& family : ImageFamilies()) {
    if (family.description == "GIF") continue;
    families.push_back(&family);
    all.insert(all.end(), family.extensions.begin(), family.extensions.end());
  }
  std::sort(families.begin(), families.end(), [](const ImageFamily* a, const ImageFamily* b) {
    return Lower(a->description) < Lower(b->description);
  });
  std::string out = "All images|" + Patterns(all) + "|";
  for (const ImageFamily* family : families) {
    std::string p = Patterns(family->extensions);
    out += family->description + " (" + p + ")|" + p + "|";
  }
  out.pop_back();
  return out;
}

}  // namespace karovel::image
