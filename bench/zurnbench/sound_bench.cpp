#include "sound_bench.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "child_process.h"
#include "media_readers.h"
#include "quality.h"
#include "zurn_file.h"

namespace zurnbench {
namespace {

namespace fs = std::filesystem;

// Delays up to this many sample frames are searched when lining decoded
// sound up with the original (resamplers and codec look-ahead).
constexpr int kMaxLag = 2048;

// Runs a program `repeats` times: the fastest run with the highest peak
// memory of all, or the first failure.
ChildRun fastestRun(const std::vector<std::string>& argv, int repeats, double timeout) {
  ChildRun best;
  long peak = -1;
  for (int i = 0; i < std::max(1, repeats); ++i) {
    ChildRun run = runChild(argv, timeout);
    if (!run.ok()) return run;
    peak = std::max(peak, run.peakKiB);
    if (i == 0 || run.wallSeconds < best.wallSeconds) best = std::move(run);
  }
  best.peakKiB = peak;
  return best;
}

std::string fixed(double v, int decimals) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// The bytes that a coded file spends on the sound; false with a reason.
using SoundSize = std::function<bool(const std::string& encoded, uint64_t& bytes, std::string& error)>;

bool wholeFile(const std::string& encoded, uint64_t& bytes, std::string& error) {
  std::error_code ec;
  bytes = fs::file_size(encoded, ec);
  if (ec || bytes == 0) error = "no output";
  return error.empty();
}

// Encodes with `encode`, decodes with `decode` (which writes decodedWave),
// and measures the round trip.
void measure(SoundResult& r, const Sound& reference, const std::vector<std::string>& encode,
             const std::vector<std::string>& decode, const std::string& encoded, const std::string& decodedWave,
             const SoundOptions& o, const SoundSize& sizeOf = wholeFile) {
  const ChildRun enc = fastestRun(encode, o.repeats, o.timeout);
  uint64_t size = 0;
  std::string error;
  if (!enc.ok() || !sizeOf(encoded, size, error)) {
    r.note = "encoder failed: " + (enc.ok() ? error : enc.failure());
    return;
  }
  const ChildRun dec = fastestRun(decode, o.repeats, o.timeout);
  Sound decoded;
  if (!dec.ok() || !readWave(decodedWave, decoded, error)) {
    r.note = "decoder failed: " + (dec.ok() ? error : dec.failure());
    return;
  }
  if (decoded.rate != reference.rate || decoded.channels != reference.channels) {
    r.note = "decoded as " + std::to_string(decoded.rate) + " Hz, " + std::to_string(decoded.channels) +
             " channel(s): not comparable";
    return;
  }
  if (decoded.samples.size() < reference.samples.size() * 99 / 100) {
    r.note = "decoded " + std::to_string(decoded.samples.size()) + " samples of " +
             std::to_string(reference.samples.size());
    return;
  }
  const double seconds = reference.seconds();
  r.bytesPerSecond = double(size) / seconds;
  const SoundFidelity f = measureSound(reference.samples, decoded.samples, reference.channels, kMaxLag);
  r.snrDb = f.snrDb;
  r.lag = f.lag;
  r.encodeRealtime = seconds / enc.wallSeconds;
  r.decodeRealtime = seconds / dec.wallSeconds;
  r.encodePeakKiB = enc.peakKiB;
  r.decodePeakKiB = dec.peakKiB;
  r.ok = true;
}

SoundResult runZurn(const std::string& wave, const Sound& ref, long option, const SoundOptions& o) {
  SoundResult r{"Zurn", "soundOption " + std::to_string(option)};
  r.remark = "rate: the sound packets alone; speeds include a 16x16 still picture that carries them";
  const std::string base = o.workDir + "/zurn-sound-" + std::to_string(option), zrn = base + ".zrn";
  const std::string self = selfPath(), fps = std::to_string(o.fpsNum) + "/" + std::to_string(o.fpsDen);
  const std::vector<std::string> encode = {self, "child", "zurn-sound-encode", "--in", wave, "--option",
                                           std::to_string(option), "--fps", fps, "--out", zrn};
  const std::vector<std::string> decode = {self, "child", "zurn-sound-decode", "--in", zrn, "--out", base + ".wav"};
  // The rate counts the sound packets only, not the carrier picture.
  const auto soundPackets = [](const std::string& path, uint64_t& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return zurnSoundBytes(file, bytes, error);
  };
  measure(r, ref, encode, decode, zrn, base + ".wav", o, soundPackets);
  return r;
}

// A peer's tools and how it is asked for a nominal rate in kbit/s.
struct Peer {
  std::string name, encoder, decoder, package, extension, rateOption, remark;
  std::function<std::string(double kbit)> rateText;
  std::function<std::vector<std::string>(const std::string& kbit, const std::string& wave, const std::string& file)>
      encode;
  std::function<std::vector<std::string>(const std::string& file, const std::string& wave, int rate)> decode;
};

const std::vector<Peer>& peers() {
  static const std::vector<Peer> p = {
      {"Opus", "opusenc", "opusdec", "opus-tools", ".opus", "--cvbr --bitrate",
       "constrained VBR (its free VBR can jump far past the rate), nominal rate adjusted until the file reaches "
       "Zurn's rate; rate includes the Ogg container; opusdec skips the pre-skip and resamples to the original rate",
       [](double kbit) { return fixed(std::clamp(kbit, 6.0, 256.0), 3); },
       [](const std::string& kbit, const std::string& wave, const std::string& file) {
         return std::vector<std::string>{"opusenc", "--quiet", "--cvbr", "--bitrate", kbit, wave, file};
       },
       [](const std::string& file, const std::string& wave, int rate) {
         return std::vector<std::string>{"opusdec", "--quiet", "--no-dither", "--rate", std::to_string(rate), file,
                                         wave};
       }},
      {"Vorbis", "oggenc", "oggdec", "vorbis-tools", ".ogg", "-b",
       "nominal rate adjusted until the file reaches Zurn's rate; rate includes the Ogg container",
       [](double kbit) { return std::to_string(std::max(1L, std::lround(kbit))); },
       [](const std::string& kbit, const std::string& wave, const std::string& file) {
         return std::vector<std::string>{"oggenc", "--quiet", "-b", kbit, "-o", file, wave};
       },
       [](const std::string& file, const std::string& wave, int) {
         return std::vector<std::string>{"oggdec", "--quiet", "-o", wave, file};
       }},
  };
  return p;
}

// The nominal rate that makes the peer's file come closest to `rate` bytes
// per second: encoders overshoot or undershoot their nominal rate depending
// on the material, so it is corrected a few times by the rate reached.
std::string calibrate(const Peer& peer, const std::string& wave, const Sound& ref, double rate,
                      const std::string& file, const SoundOptions& o) {
  double kbit = rate * 8 / 1000, bestMiss = 1e300;
  std::string best = peer.rateText(kbit);
  for (int attempt = 0; attempt < 5; ++attempt) {
    const std::string text = peer.rateText(kbit);
    uint64_t bytes = 0;
    std::string error;
    if (!runChild(peer.encode(text, wave, file), o.timeout).ok() || !wholeFile(file, bytes, error)) break;
    const double reached = double(bytes) / ref.seconds(), miss = std::fabs(reached / rate - 1);
    if (miss < bestMiss) {
      bestMiss = miss;
      best = text;
    }
    if (miss < 0.02) break;
    kbit *= rate / reached;
  }
  return best;
}

SoundResult runPeer(const Peer& peer, const std::string& wave, const Sound& ref, double rate,
                    const SoundOptions& o) {
  SoundResult r{peer.name, "", rate};
  r.remark = peer.remark;
  if (!onPath(peer.encoder) || !onPath(peer.decoder)) {
    r.note = "not installed (" + peer.package + "; scripts/setup.sh --bench)";
    return r;
  }
  const std::string base = o.workDir + "/" + peer.encoder + "-" + fixed(rate, 0), file = base + peer.extension;
  const std::string kbit = calibrate(peer, wave, ref, rate, file, o);
  const std::vector<std::string> encode = peer.encode(kbit, wave, file);
  r.setting = peer.encoder + " " + peer.rateOption + " " + kbit;
  measure(r, ref, encode, peer.decode(file, base + ".wav", ref.rate), file, base + ".wav", o);
  return r;
}

}  // namespace

std::vector<SoundResult> runSoundBench(const std::string& wavePath, const SoundOptions& o, std::string& error) {
  std::vector<SoundResult> results;
  Sound ref;
  if (!readWave(wavePath, ref, error)) return results;
  for (long option : o.zurnOptions) results.push_back(runZurn(wavePath, ref, option, o));
  const size_t zurnCount = results.size();
  for (size_t i = 0; i < zurnCount; ++i) {
    if (!results[i].ok) continue;
    const double rate = results[i].bytesPerSecond;
    for (const Peer& peer : peers()) results.push_back(runPeer(peer, wavePath, ref, rate, o));
  }
  return results;
}

}  // namespace zurnbench
