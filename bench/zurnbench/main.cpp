// zurnbench: measures what Zurn costs beside the codecs a user could pick
// instead, on the same frames in the same run: bytes for a given picture
// quality, encoding time, playback speed and memory; and the same for
// sound. See usage() and scripts/bench.sh.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "args.h"
#include "child_process.h"
#include "child_roles.h"
#include "report.h"

namespace zb = zurnbench;
namespace fs = std::filesystem;

namespace {

int usage() {
  std::fputs(
      "usage:\n"
      "  zurnbench video [options] FOLDER|FIRST.png   numbered PNG sequence against the peer codecs\n"
      "    --fps N[/D]         frame rate (15)\n"
      "    --rates A,B,...     data rates in bytes per second (100000,250000,500000)\n"
      "    --codecs A,B,...    zurn,vp8-rt,vp8-good,vp9-rt,vp9-good,theora,mjpeg (all)\n"
      "    --frames N          only the first N frames\n"
      "    --window N          Zurn's look-ahead window (8)\n"
      "    --key-interval N    keyframe distance; 0: first frame only (0)\n"
      "    --name NAME         name of the result files (the sequence's folder name)\n"
      "  zurnbench sound [options] FILE.wav ...       Zurn sound against Opus and Vorbis\n"
      "    --options A,B,...   Zurn soundOption values (0,2,4,6)\n"
      "    --fps N[/D]         frame rate of the carrier video (15)\n"
      "  common options:\n"
      "    --out DIR           where the results go (.)\n"
      "    --work DIR          keep the encoded files in DIR (default: a temporary folder, removed)\n"
      "    --repeats N         speed: fastest of N runs (3)\n"
      "    --timeout S         seconds any one encoder or decoder may run (600)\n"
      "    --all-cpus          do not keep every process on one processor\n",
      stderr);
  return 2;
}

// The folder for encoded files: the one asked for, or a temporary one that
// is removed again.
class WorkDir {
 public:
  explicit WorkDir(const std::string& asked) {
    if (!asked.empty()) {
      fs::create_directories(asked);
      path_ = asked;
      return;
    }
    std::string pattern = (fs::temp_directory_path() / "zurnbench.XXXXXX").string();
    if (mkdtemp(pattern.data())) {
      path_ = pattern;
      temporary_ = true;
    }
  }
  ~WorkDir() {
    std::error_code ec;
    if (temporary_) fs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool temporary_ = false;
};

void pin(const zb::Args& a) {
  if (a.has("all-cpus")) return;
  const int cpu = zb::pinToOneProcessor();
  if (cpu < 0)
    std::fprintf(stderr, "zurnbench: could not keep to one processor; figures may use several\n");
  else
    std::fprintf(stderr, "zurnbench: every encoder and decoder runs on processor %d alone\n", cpu);
}

int videoCommand(const zb::Args& a) {
  if (a.positional().size() != 1) return usage();
  zb::Clip clip;
  if (!zb::parseRate(a.str("fps", "15"), clip.fpsNum, clip.fpsDen)) return usage();
  zb::VideoOptions o;
  o.rates = a.nums("rates", {100000, 250000, 500000});
  o.codecs = a.list("codecs", zb::allVideoCodecs());
  o.window = int(a.num("window", 8));
  o.keyInterval = int(a.num("key-interval", 0));
  o.repeats = int(a.num("repeats", 3));
  o.timeout = double(a.num("timeout", 600));
  const std::string source = a.positional()[0], out = a.str("out", ".");
  clip.name = a.str("name", fs::path(source).has_extension() ? fs::path(source).parent_path().filename().string()
                                                             : fs::path(source).filename().string());
  if (!a.error().empty()) {
    std::fprintf(stderr, "zurnbench: %s\n", a.error().c_str());
    return 2;
  }
  pin(a);
  WorkDir work(a.str("work"));
  fs::create_directories(out);
  o.workDir = work.path();
  std::string error;
  if (o.workDir.empty() || !zb::loadClip(source, o.workDir, int(a.num("frames", 0)), clip, error)) {
    std::fprintf(stderr, "zurnbench: %s\n", error.empty() ? "no work folder" : error.c_str());
    return 1;
  }
  std::vector<zb::VideoResult> results;
  for (const std::string& codec : o.codecs) {
    for (long rate : o.rates) {
      const auto start = std::chrono::steady_clock::now();
      results.push_back(zb::runVideoCodec(codec, clip, rate, o));
      const zb::VideoResult& r = results.back();
      std::fprintf(stderr, "zurnbench: %s %s at %ld B/s: %s (%.1f s)\n", clip.name.c_str(), r.codec.c_str(), rate,
                   r.ok ? "done" : r.note.c_str(),
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
  }
  if (!zb::writeVideoReport(out, clip, results)) {
    std::fprintf(stderr, "zurnbench: cannot write the results into %s\n", out.c_str());
    return 1;
  }
  if (!zb::plotVideo(out, o.workDir, clip, results, error)) std::fprintf(stderr, "zurnbench: no plot: %s\n", error.c_str());
  std::printf("%s/%s.md\n", out.c_str(), clip.name.c_str());
  return 0;
}

int soundCommand(const zb::Args& a) {
  if (a.positional().empty()) return usage();
  zb::SoundOptions o;
  o.zurnOptions = a.nums("options", {0, 2, 4, 6});
  o.repeats = int(a.num("repeats", 3));
  o.timeout = double(a.num("timeout", 600));
  const std::string out = a.str("out", ".");
  if (!zb::parseRate(a.str("fps", "15"), o.fpsNum, o.fpsDen) || !a.error().empty()) return usage();
  pin(a);
  WorkDir work(a.str("work"));
  fs::create_directories(out);
  o.workDir = work.path();
  int status = 0;
  for (const std::string& wave : a.positional()) {
    std::string error;
    const std::vector<zb::SoundResult> results = zb::runSoundBench(wave, o, error);
    const std::string name = "sound-" + fs::path(wave).stem().string();
    if (!error.empty() || !zb::writeSoundReport(out, name, fs::path(wave).filename().string(), results)) {
      std::fprintf(stderr, "zurnbench: %s: %s\n", wave.c_str(), error.empty() ? "cannot write results" : error.c_str());
      status = 1;
      continue;
    }
    std::printf("%s/%s.md\n", out.c_str(), name.c_str());
  }
  return status;
}

int childCommand(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string role = argv[2];
  const zb::Args a(argc, argv, 3, {});
  if (role == "zurn-encode") return zb::zurnEncodeRole(a);
  if (role == "zurn-decode") return zb::zurnDecodeRole(a);
  if (role == "mjpeg-encode") return zb::mjpegEncodeRole(a);
  if (role == "mjpeg-decode") return zb::mjpegDecodeRole(a);
  if (role == "zurn-sound-encode") return zb::zurnSoundEncodeRole(a);
  if (role == "zurn-sound-decode") return zb::zurnSoundDecodeRole(a);
  return usage();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  if (command == "child") return childCommand(argc, argv);
  const zb::Args a(argc, argv, 2, {"all-cpus"});
  if (command == "video") return videoCommand(a);
  if (command == "sound") return soundCommand(a);
  return usage();
}
