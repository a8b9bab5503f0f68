// The video comparison: Zurn and its peers on the same planes, at the same
// target data rates, each encoder and decoder measured in its own process.
#pragma once

#include <string>
#include <vector>

#include "quality.h"
#include "yuv_frame.h"

namespace zurnbench {

struct Clip {
  std::string name;
  int width = 0, height = 0;
  int fpsNum = 15, fpsDen = 1;
  std::vector<YuvFrame> planes;  // the encoder's input planes, the reference for every codec
  std::string rgbxPath;          // the 32-bit frames, as the Zurn encoder takes them
  std::string y4mPath;           // the same planes as Y4M 4:2:0, as the peers take them

  int frames() const { return int(planes.size()); }
  double seconds() const { return double(frames()) * fpsDen / fpsNum; }
};

// Reads a PNG sequence, converts it with the encoder's colour conversion and
// writes the two input files into workDir. maxFrames 0: all frames.
bool loadClip(const std::string& source, const std::string& workDir, int maxFrames, Clip& clip, std::string& error);

struct VideoOptions {
  std::vector<long> rates;  // bytes per second
  std::vector<std::string> codecs;
  int window = 8;
  int keyInterval = 0;   // 0: only the first frame is a keyframe (peers: their default placement)
  int repeats = 3;       // decode timings: best of this many runs
  double timeout = 600;  // seconds a child may take
  std::string workDir;
};

struct VideoResult {
  VideoResult(std::string label, std::string how, long rate)
      : codec(std::move(label)), setting(std::move(how)), targetRate(rate) {}

  std::string codec;    // short label, e.g. "VP8 rt"
  std::string setting;  // how it was run
  long targetRate = 0;
  bool ok = false;
  std::string note;  // why it failed, or a remark on the figures
  double bytesPerSecond = 0;
  ClipQuality quality;
  double encodeFps = 0, encodeCpuSeconds = 0;
  double decodeFps = 0, decodeBlitFps = 0;
  long encodePeakKiB = -1, decodePeakKiB = -1;  // -1: not measured
};

// Every codec the harness knows, in report order.
const std::vector<std::string>& allVideoCodecs();

// Runs one codec at one rate; a codec whose tools are missing or fail gives
// a result with ok false and the reason in note.
VideoResult runVideoCodec(const std::string& codec, const Clip& clip, long rate, const VideoOptions& options);

}  // namespace zurnbench
