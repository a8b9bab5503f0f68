// tolana: analyses a Zurn file's data: per-frame bytes of video and of each
// sound track, key frames, and the data rate over a sliding one-second
// window against the file's average and peak. Writes REPORT.svg (a chart)
// and REPORT.csv (one row per frame) and prints a summary.
//
//   tolana INPUT.zrn [REPORT]     (REPORT defaults to INPUT without .zrn)
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tolana/clip_facts.h"
#include "tolana/data_rate.h"
#include "tolana/reports.h"

namespace {

const char kUsage[] =
    "tolana: data rate analysis of a Zurn file\n"
    "usage: tolana INPUT.zrn [REPORT]\n"
    "  writes REPORT.svg (bars per frame: video and each sound track; the data\n"
    "  rate over one second with its average; key frames marked) and REPORT.csv\n"
    "  (one row per frame); REPORT defaults to INPUT without its extension\n"
    "  /?, --help  show this text\n";

bool writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return bool(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "/?") || !std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    names.emplace_back(argv[i]);
  }
  if (names.empty() || names.size() > 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  tolana::ClipFacts clip;
  std::string error;
  if (!tolana::readClipFacts(names[0], clip, error)) {
    std::fprintf(stderr, "tolana: %s: %s\n", names[0].c_str(), error.c_str());
    return 1;
  }
  const std::string base =
      names.size() > 1 ? names[1] : std::filesystem::path(names[0]).replace_extension().string();
  std::vector<uint64_t> totals;
  size_t keys = 0, damaged = 0;
  for (const tolana::FrameFacts& f : clip.frames) {
    totals.push_back(f.total());
    keys += f.keyFrame;
    damaged += f.damaged;
  }
  const tolana::DataRate rate = tolana::slidingDataRate(totals, clip.framesPerSecond());
  const std::string title = std::filesystem::path(names[0]).filename().string();
  if (!writeText(base + ".svg", tolana::svgReport(clip, rate, title)) ||
      !writeText(base + ".csv", tolana::csvReport(clip, rate))) {
    std::fprintf(stderr, "tolana: cannot write %s.svg / %s.csv\n", base.c_str(), base.c_str());
    return 1;
  }
  std::printf("%s: %d x %d, %zu frames at %.3f fps, %zu sound track(s), %zu key frame(s)\n", title.c_str(),
              clip.width, clip.height, clip.frames.size(), clip.framesPerSecond(), clip.trackIds.size(), keys);
  std::printf("data rate: average %.0f B/s, peak %.0f B/s (one second ending at frame %zu)\n", rate.average,
              rate.peak, rate.peakFrame + 1);
  if (damaged) std::printf("damaged frames: %zu\n", damaged);
  std::printf("wrote %s.svg and %s.csv\n", base.c_str(), base.c_str());
  return 0;
}
