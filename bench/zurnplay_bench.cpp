// The Zurn player's processor use while it plays, paced, a 640 x 480 clip
// at 30 frames a second with sound (the dummy sound driver, a virtual
// display), as a percentage of one core: the player's processor time (all
// its threads, the renderer's included) over its wall time. Beside it, in
// the same run: vpxdec decoding the same clip as VP8, its processor time per
// second of video, and our decoder alone (decode and 32-bit copy) measured
// the same way. The last benchmark gives the ratios.
//
// The clip: the corpus's 30-frame zoom played forward and back to 300
// frames (10 s), compressed by our zurn tool with the corpus's speech; the
// VP8 file is vpxenc's of our decoded frames at the same data rate.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "tol/zurndecoder.h"
#include "yuv_frame.h"

namespace {

namespace fs = std::filesystem;
using zurnbench::ChildRun;
using zurnbench::runChild;

constexpr int kFrames = 300, kRate = 30, kDataRate = 250000;

double numberAfter(const std::string& text, const std::string& label) {
  const size_t at = text.find(label);
  return at == std::string::npos ? NAN : std::strtod(text.c_str() + at + label.size(), nullptr);
}

// The clip files, made once; `error` says why they could not be.
struct Clip {
  std::string dir, zurn, ivf, error;
  pid_t xvfb = -1;
  ~Clip() {
    if (xvfb > 0) {
      kill(xvfb, SIGTERM);
      waitpid(xvfb, nullptr, 0);
    }
    if (!dir.empty()) fs::remove_all(dir);
  }
};

// Starts a virtual display and sets DISPLAY for the children.
bool startDisplay(Clip& c) {
  if (access("/usr/bin/Xvfb", X_OK) != 0) return false;
  int ready[2];
  if (pipe(ready) != 0) return false;
  c.xvfb = fork();
  if (c.xvfb == 0) {
    close(ready[0]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    const std::string fd = std::to_string(ready[1]);
    execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", (char*)nullptr);
    _exit(127);
  }
  close(ready[1]);
  char number[16] = {};
  const ssize_t got = read(ready[0], number, sizeof number - 1);
  close(ready[0]);
  if (got <= 0) return false;
  setenv("DISPLAY", (":" + std::to_string(std::atoi(number))).c_str(), 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  return true;
}

// Our decoder's pictures of the clip, in the peers' 4:2:0 form.
std::vector<zurnbench::YuvFrame> decodedClip(const std::string& name) {
  std::vector<zurnbench::YuvFrame> frames;
  ZurnDecoder* d = ZurnDecoderOpen(name.c_str(), 0);
  if (!d) return frames;
  std::vector<uint8_t> rgbx(size_t(d->width) * d->height * 4);
  for (int32_t k = 0; k < d->frames; k++) {
    ZurnDecoderDecodeFrame(d);
    ZurnDecoderCopyToSurface(d, rgbx.data(), d->width * 4, d->height, 0, 0, 2 | ZURNDEC_COPY_FULL);
    frames.push_back(zurnbench::planesFromPixels(rgbx.data(), d->width, d->height));
    ZurnDecoderNextFrame(d);
  }
  ZurnDecoderClose(d);
  return frames;
}

Clip& clip() {
  static Clip c = [] {
    Clip c;
    const fs::path seq = fs::path(TOL_CORPUS_DIR) / "seq/leaf_zoom_640x480";
    const fs::path speech = fs::path(TOL_CORPUS_DIR) / "audio/speech_16bit_mono_22050.wav";
    if (!fs::exists(seq / "leafzoom0000.png") || !fs::exists(speech)) {
      c.error = "the corpus is not there";
      return c;
    }
    char pattern[] = "/tmp/zpbenchXXXXXX";
    if (!mkdtemp(pattern)) {
      c.error = "no scratch folder";
      return c;
    }
    c.dir = pattern;
    // Forward and back through the 30 pictures, as a list file.
    std::ofstream list(c.dir + "/clip.lst");
    for (int k = 0; k < kFrames; k++) {
      const int pass = k / 30, i = k % 30, picture = pass % 2 ? 29 - i : i;
      char leaf[32];
      std::snprintf(leaf, sizeof leaf, "leafzoom%04d.png", picture);
      list << (seq / leaf).string() << "\n";
    }
    list.close();
    c.zurn = c.dir + "/clip.zrn";
    const ChildRun z = runChild({TOL_ZURN, c.dir + "/clip.lst", c.zurn, speech.string(), "/F30",
                                 "/D" + std::to_string(kDataRate), "/O"},
                                900);
    if (!z.ok()) {
      c.error = "zurn: " + z.failure() + " " + z.err;
      return c;
    }
    if (zurnbench::onPath("vpxenc") && zurnbench::onPath("vpxdec") &&
        zurnbench::writeY4m(c.dir + "/clip.y4m", decodedClip(c.zurn), kRate, 1)) {
      c.ivf = c.dir + "/clip.ivf";
      const ChildRun v = runChild({"vpxenc", "--ivf", "-q", "--threads=1", "--good", "--cpu-used=4",
                                   "--target-bitrate=" + std::to_string(kDataRate * 8 / 1000), "-o", c.ivf,
                                   c.dir + "/clip.y4m"},
                                  900);
      if (!v.ok()) c.ivf.clear();
    }
    if (!startDisplay(c)) c.xvfb = -1;
    return c;
  }();
  return c;
}

// Percent of one core of each repetition, for the ratios of the medians.
std::vector<double> g_player, g_peer, g_decoder;

double median(std::vector<double> v) {
  if (v.empty()) return NAN;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void BM_ZurnPlayPaced(benchmark::State& state) {
  Clip& c = clip();
  if (!c.error.empty()) return state.SkipWithError(c.error.c_str());
  if (c.xvfb <= 0) return state.SkipWithError("no virtual display (Xvfb)");
  for (auto _ : state) {
    const ChildRun r = runChild({TOL_ZURNPLAY, c.zurn, "/S", "/X0", "/Y0"}, 120);
    if (!r.ok()) return state.SkipWithError(("zurnplay: " + r.failure() + " " + r.err).c_str());
    state.SetIterationTime(r.wallSeconds);
    g_player.push_back(100 * r.cpuSeconds / r.wallSeconds);
    state.counters["cpu_percent"] = g_player.back();
    state.counters["shown"] = numberAfter(r.out, "Frames shown: ");
    state.counters["skipped"] = numberAfter(r.out, "Frames skipped: ");
    state.counters["av_max_ms"] = numberAfter(r.out, "A/V offset: max ");
  }
}

void BM_VpxdecPerVideoSecond(benchmark::State& state) {
  Clip& c = clip();
  if (!c.error.empty()) return state.SkipWithError(c.error.c_str());
  if (c.ivf.empty()) return state.SkipWithError("vpxenc/vpxdec not installed or failed");
  for (auto _ : state) {
    const ChildRun r = runChild({"vpxdec", "--noblit", "-t", "1", "--md5", c.ivf}, 120);
    if (!r.ok()) return state.SkipWithError(("vpxdec: " + r.failure()).c_str());
    state.SetIterationTime(r.wallSeconds);
    g_peer.push_back(100 * r.cpuSeconds / (double(kFrames) / kRate));
    state.counters["cpu_percent"] = g_peer.back();
  }
}

// Our decoder alone: decode and 32-bit copy of every frame, processor time
// of this thread per second of video.
void BM_ZurnDecodePerVideoSecond(benchmark::State& state) {
  Clip& c = clip();
  if (!c.error.empty()) return state.SkipWithError(c.error.c_str());
  for (auto _ : state) {
    ZurnDecoder* d = ZurnDecoderOpen(c.zurn.c_str(), ZURNDEC_LOAD_ALL);
    if (!d) return state.SkipWithError(ZurnDecoderGetError());
    std::vector<uint8_t> rgbx(size_t(d->width) * d->height * 4);
    rusage before{}, after{};
    getrusage(RUSAGE_THREAD, &before);
    for (int32_t k = 0; k < d->frames; k++) {
      ZurnDecoderDecodeFrame(d);
      ZurnDecoderCopyToSurface(d, rgbx.data(), d->width * 4, d->height, 0, 0, 2);
      ZurnDecoderNextFrame(d);
    }
    getrusage(RUSAGE_THREAD, &after);
    const auto seconds = [](const rusage& u) {
      return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
    };
    const double cpu = seconds(after) - seconds(before);
    state.SetIterationTime(cpu);
    g_decoder.push_back(100 * cpu / (double(d->frames) / kRate));
    state.counters["cpu_percent"] = g_decoder.back();
    ZurnDecoderClose(d);
  }
}

void BM_Ratios(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(1e-9);
  const double player = median(g_player), peer = median(g_peer), decoder = median(g_decoder);
  if (std::isnan(player) || std::isnan(peer)) return state.SkipWithError("a measurement is missing");
  state.counters["player_over_vpxdec"] = player / peer;
  state.counters["decoder_over_vpxdec"] = decoder / peer;
}

BENCHMARK(BM_ZurnPlayPaced)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_VpxdecPerVideoSecond)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ZurnDecodePerVideoSecond)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Ratios)->Iterations(1)->UseManualTime();

}  // namespace
