// The sound comparison: Zurn sound tracks at several soundOption values,
// and Opus and Vorbis at the data rates Zurn reached, on the same WAVE file.
#pragma once

#include <string>
#include <vector>

namespace zurnbench {

struct SoundOptions {
  std::vector<long> zurnOptions;  // soundOption values
  int fpsNum = 15, fpsDen = 1;    // frame rate of the carrier video
  int repeats = 3;                // speed: best of this many runs
  double timeout = 300;
  std::string workDir;
};

struct SoundResult {
  SoundResult(std::string name, std::string how, double rate = 0)
      : codec(std::move(name)), setting(std::move(how)), targetRate(rate) {}

  std::string codec, setting;
  double targetRate = 0;  // bytes per second asked for (peers: Zurn's rate)
  bool ok = false;
  std::string note;    // why it failed
  std::string remark;  // how its figures are to be read (the same for every row of a codec)
  double bytesPerSecond = 0;
  double snrDb = 0;
  int lag = 0;  // sample frames the decoded sound was shifted by to line up
  double encodeRealtime = 0, decodeRealtime = 0;  // seconds of sound per second of processing
  long encodePeakKiB = -1, decodePeakKiB = -1;  // -1: not measured
};

// Runs every codec on one WAVE file; error is set when the file itself
// cannot be used.
std::vector<SoundResult> runSoundBench(const std::string& wavePath, const SoundOptions& options, std::string& error);

}  // namespace zurnbench
