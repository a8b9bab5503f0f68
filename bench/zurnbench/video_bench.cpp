#include "video_bench.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>

#include "child_process.h"
#include "jpeg_planes.h"
#include "media_readers.h"
#include "tol/yuv.h"

namespace zurnbench {
namespace fs = std::filesystem;

bool loadClip(const std::string& source, const std::string& workDir, int maxFrames, Clip& clip, std::string& error) {
  std::vector<std::string> files = listSequence(source);
  if (files.empty()) {
    error = "no PNG frames at " + source;
    return false;
  }
  if (maxFrames > 0 && int(files.size()) > maxFrames) files.resize(size_t(maxFrames));
  clip.planes.clear();
  clip.rgbxPath = workDir + "/" + clip.name + ".rgbx";
  clip.y4mPath = workDir + "/" + clip.name + ".y4m";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> rgbx(std::fopen(clip.rgbxPath.c_str(), "wb"), std::fclose);
  if (!rgbx) {
    error = "cannot create " + clip.rgbxPath;
    return false;
  }
  RgbFrame frame;
  for (const std::string& f : files) {
    if (!readPng(f, frame, error)) return false;
    if (clip.planes.empty()) {
      clip.width = frame.width;
      clip.height = frame.height;
      if ((clip.width | clip.height) & 1) {
        error = "frame sizes must be even (4:2:0 planes for every codec): " + f;
        return false;
      }
    } else if (frame.width != clip.width || frame.height != clip.height) {
      error = f + " differs in size from the first frame";
      return false;
    }
    if (std::fwrite(frame.pixels.data(), 1, frame.pixels.size(), rgbx.get()) != frame.pixels.size()) {
      error = "cannot write " + clip.rgbxPath;
      return false;
    }
    clip.planes.push_back(planesFromPixels(frame.pixels.data(), frame.width, frame.height));
  }
  if (std::fflush(rgbx.get()) != 0 || !writeY4m(clip.y4mPath, clip.planes, clip.fpsNum, clip.fpsDen)) {
    error = "cannot write the input files in " + workDir;
    return false;
  }
  return true;
}

namespace {

struct PeerSetting {
  std::string id, label, setting;
  std::vector<std::string> args;  // encoder arguments besides input, output and rate
};

const std::vector<PeerSetting>& vpxSettings() {
  static const std::vector<PeerSetting> s = {
      {"vp8-rt", "VP8 rt", "realtime: --rt --cpu-used=8, CBR, 1 pass, quantiser 0 to 63",
       {"--codec=vp8", "--rt", "--cpu-used=8", "--end-usage=cbr", "--lag-in-frames=0", "--passes=1"}},
      {"vp8-good", "VP8 good", "good: --good --cpu-used=1, VBR, 2 passes, alt-ref, quantiser 0 to 63",
       {"--codec=vp8", "--good", "--cpu-used=1", "--end-usage=vbr", "--passes=2", "--auto-alt-ref=1",
        "--lag-in-frames=16"}},
      {"vp9-rt", "VP9 rt", "realtime: --rt --cpu-used=8, CBR, 1 pass, quantiser 0 to 63",
       {"--codec=vp9", "--rt", "--cpu-used=8", "--end-usage=cbr", "--lag-in-frames=0", "--passes=1"}},
      {"vp9-good", "VP9 good", "good: --good --cpu-used=2, VBR, 2 passes, alt-ref, quantiser 0 to 63",
       {"--codec=vp9", "--good", "--cpu-used=2", "--end-usage=vbr", "--passes=2", "--auto-alt-ref=1",
        "--lag-in-frames=16"}},
  };
  return s;
}

std::string str(long v) { return std::to_string(v); }
std::string kbps(long bytesPerSecond) { return str(std::lround(double(bytesPerSecond) * 8 / 1000)); }

long fileSize(const std::string& path) {
  std::error_code ec;
  const auto n = fs::file_size(path, ec);
  return ec ? -1 : long(n);
}

// The number after the last `key` in text (progress lines repeat it; the
// last is the final figure), or -1.
double numberAfter(const std::string& text, const std::string& key) {
  const size_t at = text.rfind(key);
  if (at == std::string::npos) return -1;
  const char* start = text.c_str() + at + key.size();
  char* end = nullptr;
  const double v = std::strtod(start, &end);
  return end == start ? -1 : v;
}

std::vector<std::string> childArgs(const std::string& role, std::vector<std::string> rest) {
  rest.insert(rest.begin(), {selfPath(), "child", role});
  return rest;
}

void recordEncode(VideoResult& r, const Clip& clip, const ChildRun& run, const std::string& output) {
  const long size = fileSize(output);
  if (!run.ok() || size <= 0) {
    r.note = "encoder failed: " + (run.ok() ? std::string("no output") : run.failure());
    return;
  }
  r.bytesPerSecond = double(size) / clip.seconds();
  r.encodeFps = clip.frames() / run.wallSeconds;
  r.encodeCpuSeconds = run.cpuSeconds;
  r.encodePeakKiB = run.peakKiB;
  r.ok = true;
}

// Compares decoded planes with the clip's; a missing or extra frame fails.
// A decoder that writes its whole coded area (larger than the picture) has
// the picture found in it first.
void recordQuality(VideoResult& r, const Clip& clip, std::vector<YuvFrame>& decoded, const std::string& error) {
  if (!error.empty()) {
    r.ok = false;
    r.note = "decoded output unreadable: " + error;
    return;
  }
  if (!decoded.empty() && !clip.planes.empty() && decoded[0].width >= clip.width &&
      decoded[0].height >= clip.height && (decoded[0].width > clip.width || decoded[0].height > clip.height)) {
    const Offset at = findPicture(clip.planes[0], decoded[0]);
    const int w = decoded[0].width, h = decoded[0].height;
    r.note = "the decoder writes its whole coded frame (" + str(w) + " x " + str(h) + "); the picture was found at (" +
             str(at.x) + ", " + str(at.y) + ")";
    for (YuvFrame& f : decoded)
      if (f.width == w && f.height == h) f = cropFrame(f, at, clip.width, clip.height);
  }
  for (size_t i = 0; i < decoded.size() && i < clip.planes.size(); ++i) {
    if (!r.quality.add(clip.planes[i], decoded[i])) {
      r.ok = false;
      r.note = "decoded frame " + str(long(i)) + " has the wrong size";
      return;
    }
  }
  if (decoded.size() != clip.planes.size()) {
    r.ok = false;
    r.note = "decoded " + str(long(decoded.size())) + " frames of " + str(clip.frames());
  }
}

// Runs a decoder `repeats` times and keeps the fastest; seconds(run) reads
// its decoding time from its output (negative when it is not there).
bool timeDecoder(VideoResult& r, const std::vector<std::string>& argv, const VideoOptions& o,
                 const std::function<double(const ChildRun&)>& secondsOf, double& best) {
  best = std::numeric_limits<double>::infinity();
  for (int i = 0; i < std::max(1, o.repeats); ++i) {
    const ChildRun run = runChild(argv, o.timeout);
    const double s = run.ok() ? secondsOf(run) : -1;
    if (s <= 0) {
      r.ok = false;
      r.note = "decoder timing failed: " + (run.ok() ? std::string("no timing in its output") : run.failure());
      return false;
    }
    best = std::min(best, s);
    r.decodePeakKiB = std::max(r.decodePeakKiB, run.peakKiB);
  }
  return true;
}

// The suite's 32-bit blit of decoded frames (the full blitter), fastest of
// `repeats` passes; what a peer's decoder output costs to show.
double blitSeconds(const std::vector<YuvFrame>& frames, int repeats) {
  if (frames.empty()) return 0;
  const int w = frames[0].width, h = frames[0].height, pitch = (w + 15) & ~15, rows = (h + 1) & ~1;
  std::vector<std::vector<uint8_t>> sources;
  for (const YuvFrame& f : frames) sources.push_back(blitterLayout(f, pitch, rows));
  std::vector<uint8_t> surface(size_t(w) * h * 4);
  YUV_init(2);
  double best = std::numeric_limits<double>::infinity();
  for (int i = 0; i < std::max(1, repeats); ++i) {
    const auto start = std::chrono::steady_clock::now();
    for (const auto& s : sources) YUV_blit_32bpp(surface.data(), 0, 0, w * 4, s.data(), 0, 0, w, h, pitch, rows, 0);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// Runs the decoder that writes the decoded planes to `output` (Y4M when
// its name ends so, else I420) and measures them against the clip.
std::vector<YuvFrame> decodePlanes(VideoResult& r, const Clip& clip, const std::vector<std::string>& argv,
                                   const std::string& output, const VideoOptions& o) {
  const ChildRun run = runChild(argv, o.timeout);
  std::vector<YuvFrame> decoded;
  std::string error = run.ok() ? "" : run.failure();
  const bool y4m = output.size() > 4 && output.compare(output.size() - 4, 4, ".y4m") == 0;
  if (error.empty()) y4m ? readY4m(output, decoded, error) : readI420(output, clip.width, clip.height, decoded, error);
  recordQuality(r, clip, decoded, error);
  return decoded;
}

// A peer's decoding speed, and with the suite's blit of its frames added.
void timePeerDecoder(VideoResult& r, const Clip& clip, const std::vector<std::string>& argv, const VideoOptions& o,
                     const std::function<double(const ChildRun&)>& secondsOf, const std::vector<YuvFrame>& decoded) {
  double decode = 0;
  if (!r.ok || !timeDecoder(r, argv, o, secondsOf, decode)) return;
  r.decodeFps = clip.frames() / decode;
  r.decodeBlitFps = clip.frames() / (decode + blitSeconds(decoded, o.repeats));
}

double childSeconds(const ChildRun& run) { return numberAfter(run.out, "seconds="); }

VideoResult runZurn(const Clip& clip, long rate, const VideoOptions& o) {
  VideoResult r{"Zurn",
                "window " + str(o.window) +
                    ", target rate/fps, maximum 3x; decode + blit through the decoder's own copy to a 32-bit surface "
                    "(changed areas only)",
                rate};
  const std::string base = o.workDir + "/zurn-" + str(rate), zrn = base + ".zrn";
  const ChildRun enc = runChild(
      childArgs("zurn-encode", {"--in", clip.rgbxPath, "--width", str(clip.width), "--height", str(clip.height),
                                "--frames", str(clip.frames()), "--fps", str(clip.fpsNum) + "/" + str(clip.fpsDen),
                                "--rate", str(rate), "--window", str(o.window), "--key-interval",
                                str(o.keyInterval), "--out", zrn}),
      o.timeout);
  recordEncode(r, clip, enc, zrn);
  if (!r.ok) return r;
  decodePlanes(r, clip, childArgs("zurn-decode", {"--in", zrn, "--mode", "planes", "--out", base + ".i420"}),
               base + ".i420", o);
  double decode = 0, withBlit = 0;
  if (!r.ok || !timeDecoder(r, childArgs("zurn-decode", {"--in", zrn, "--mode", "decode"}), o, childSeconds, decode) ||
      !timeDecoder(r, childArgs("zurn-decode", {"--in", zrn, "--mode", "blit32"}), o, childSeconds, withBlit))
    return r;
  r.decodeFps = clip.frames() / decode;
  r.decodeBlitFps = clip.frames() / withBlit;
  return r;
}

VideoResult runVpx(const PeerSetting& s, const Clip& clip, long rate, const VideoOptions& o) {
  VideoResult r{s.label, s.setting, rate};
  if (!onPath("vpxenc") || !onPath("vpxdec")) {
    r.note = "not installed (vpxenc/vpxdec of vpx-tools; scripts/setup.sh --bench)";
    return r;
  }
  const std::string base = o.workDir + "/" + s.id + "-" + str(rate), ivf = base + ".ivf";
  // The whole quantiser range, so that the encoder can spend the rate (by
  // default it stops at 4 and undershoots high rates on smooth pictures).
  std::vector<std::string> argv = {"vpxenc", "--ivf",     "-q",        "--threads=1", "--disable-warning-prompt",
                                   "--min-q=0", "--max-q=63", "--target-bitrate=" + kbps(rate)};
  argv.insert(argv.end(), s.args.begin(), s.args.end());
  if (std::find(s.args.begin(), s.args.end(), "--passes=2") != s.args.end()) argv.push_back("--fpf=" + base + ".fpf");
  if (o.keyInterval > 0) argv.push_back("--kf-max-dist=" + str(o.keyInterval));
  argv.insert(argv.end(), {"-o", ivf, clip.y4mPath});
  recordEncode(r, clip, runChild(argv, o.timeout), ivf);
  if (!r.ok) return r;
  const auto decoded =
      decodePlanes(r, clip, {"vpxdec", "-t", "1", "--i420", "-o", base + ".i420", ivf}, base + ".i420", o);
  const auto vpxdecSeconds = [](const ChildRun& run) { return numberAfter(run.err + run.out, "frames in ") * 1e-6; };
  timePeerDecoder(r, clip, {"vpxdec", "--noblit", "--summary", "-t", "1", ivf}, o, vpxdecSeconds, decoded);
  return r;
}

VideoResult runTheora(const Clip& clip, long rate, const VideoOptions& o) {
  VideoResult r{"Theora",
                "theora_encoder_example -V (1 pass, default speed); decode time as theora_dump_video -f reports it "
                "(Ogg demultiplexing included)",
                rate};
  if (!onPath("theora_encoder_example") || !onPath("theora_dump_video")) {
    r.note = "not installed (libtheora-bin; scripts/setup.sh --bench)";
    return r;
  }
  const std::string base = o.workDir + "/theora-" + str(rate), ogv = base + ".ogv";
  std::vector<std::string> argv = {"theora_encoder_example", "-V", kbps(rate)};
  if (o.keyInterval > 0) argv.insert(argv.end(), {"-k", str(o.keyInterval)});
  argv.insert(argv.end(), {"-o", ogv, clip.y4mPath});
  recordEncode(r, clip, runChild(argv, o.timeout), ogv);
  if (!r.ok) return r;
  const auto decoded = decodePlanes(r, clip, {"theora_dump_video", "-o", base + ".y4m", ogv}, base + ".y4m", o);
  // The tool reports its speed as a multiple of the clip's frame rate.
  const double fps = double(clip.fpsNum) / clip.fpsDen;
  const auto dumpSeconds = [&](const ChildRun& run) {
    const double x = numberAfter(run.err + run.out, "rate:");
    return x > 0 ? clip.frames() / (x * fps) : -1;
  };
  timePeerDecoder(r, clip, {"theora_dump_video", "-f", ogv}, o, dumpSeconds, decoded);
  return r;
}

// The highest JPEG quality whose clip fits the byte budget (1 when none does).
int searchJpegQuality(const Clip& clip, long rate, long& clipBytes) {
  const double budget = double(rate) * clip.seconds();
  auto bytesAt = [&](int q) {
    long total = 0;
    for (const YuvFrame& f : clip.planes) total += long(encodeJpeg(f, q).size()) + 4;
    return total;
  };
  int lo = 1, hi = 100;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (double(bytesAt(mid)) <= budget)
      lo = mid;
    else
      hi = mid - 1;
  }
  clipBytes = bytesAt(lo);
  return lo;
}

VideoResult runMjpeg(const Clip& clip, long rate, const VideoOptions& o) {
  long bytes = 0;
  const int q = searchJpegQuality(clip, rate, bytes);
  VideoResult r{"MJPEG", "libjpeg-turbo 4:2:0, quality " + str(q) + " (highest within the rate)", rate};
  const std::string base = o.workDir + "/mjpeg-" + str(rate), clipFile = base + ".mjpg";
  recordEncode(r, clip,
               runChild(childArgs("mjpeg-encode", {"--in", clip.y4mPath, "--quality", str(q), "--out", clipFile}),
                        o.timeout),
               clipFile);
  if (!r.ok) return r;
  if (double(bytes) > double(rate) * clip.seconds()) r.note = "over the rate even at quality 1";
  const auto decoded = decodePlanes(
      r, clip, childArgs("mjpeg-decode", {"--in", clipFile, "--mode", "planes", "--out", base + ".i420"}),
      base + ".i420", o);
  timePeerDecoder(r, clip, childArgs("mjpeg-decode", {"--in", clipFile, "--mode", "decode"}), o, childSeconds, decoded);
  return r;
}

}  // namespace

const std::vector<std::string>& allVideoCodecs() {
  static const std::vector<std::string> ids = [] {
    std::vector<std::string> v = {"zurn"};
    for (const PeerSetting& s : vpxSettings()) v.push_back(s.id);
    v.insert(v.end(), {"theora", "mjpeg"});
    return v;
  }();
  return ids;
}

VideoResult runVideoCodec(const std::string& codec, const Clip& clip, long rate, const VideoOptions& options) {
  if (codec == "zurn") return runZurn(clip, rate, options);
  if (codec == "theora") return runTheora(clip, rate, options);
  if (codec == "mjpeg") return runMjpeg(clip, rate, options);
  for (const PeerSetting& s : vpxSettings())
    if (s.id == codec) return runVpx(s, clip, rate, options);
  VideoResult r{codec, "", rate};
  r.note = "unknown codec";
  return r;
}

}  // namespace zurnbench
