// Times the decode of one JPEG file as the loader does it (read the file, decode at full size into the
// working bitmap) and, on the same file, the library's own command-line decoder writing to /dev/null.
//
//   karovel-jpeg-decode-bench FILE.jpg [RUNS] [DJPEG]
//
// The two alternate, so that both see the same load on a shared machine. Prints the best and the median
// wall time and processor time (user + system) of each over RUNS runs (default 7), and their ratios.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/image_loader.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Figures {
  double best, median;
};

Figures Summarise(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return {times.front(), times[times.size() / 2]};
}

std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: karovel-jpeg-decode-bench FILE.jpg [RUNS] [DJPEG]\n");
    return 2;
  }
  const std::string file = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  const std::string djpeg = argc > 3 ? argv[3] : "djpeg";

  std::vector<double> oursWall, oursCpu, theirsWall, theirsCpu;
  int32_t width = 0, height = 0;
  const std::string command = Quoted(djpeg) + " -outfile /dev/null " + Quoted(file);
  for (int i = 0; i < runs; ++i) {
    {
      karovel::image::WorkingBitmap bitmap;
      const double cpu = CpuSeconds(RUSAGE_SELF);
      const auto start = Clock::now();
      const karovel::image::ImageFamily* family = karovel::image::DecodeImageFile(file, bitmap);
      oursWall.push_back(Seconds(Clock::now() - start));
      oursCpu.push_back(CpuSeconds(RUSAGE_SELF) - cpu);
      if (!family || family->description != "JPG images") {
        std::fprintf(stderr, "%s: not decoded as a JPEG\n", file.c_str());
        return 1;
      }
      width = bitmap.width, height = bitmap.height;
    }
    const double cpu = CpuSeconds(RUSAGE_CHILDREN);
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "%s failed\n", command.c_str());
      return 1;
    }
    theirsWall.push_back(Seconds(Clock::now() - start));
    theirsCpu.push_back(CpuSeconds(RUSAGE_CHILDREN) - cpu);
  }
  const Figures ow = Summarise(oursWall), oc = Summarise(oursCpu);
  const Figures tw = Summarise(theirsWall), tc = Summarise(theirsCpu);
  std::printf("picture        %d x %d, %s\n", width, height, file.c_str());
  std::printf("runs           %d, alternating\n", runs);
  std::printf("loader wall    best %.3f s, median %.3f s\n", ow.best, ow.median);
  std::printf("djpeg wall     best %.3f s, median %.3f s\n", tw.best, tw.median);
  std::printf("loader cpu     best %.3f s, median %.3f s\n", oc.best, oc.median);
  std::printf("djpeg cpu      best %.3f s, median %.3f s\n", tc.best, tc.median);
  std::printf("ratio wall     best %.2f, median %.2f\n", ow.best / tw.best, ow.median / tw.median);
  std::printf("ratio cpu      best %.2f, median %.2f\n", oc.best / tc.best, oc.median / tc.median);
  return 0;
}
