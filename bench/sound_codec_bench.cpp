// Coding and decoding two seconds of speech-like and music-like sound for
// the three usual track layouts. Encode runs report, per quality option, the
// signal-to-noise ratio of the decoded sound ("snr_db") and the coded data
// rate ("coded_bytes_per_s"); both runs report the sound's duration handled
// per second of work ("x_realtime").
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "codec_bridge.h"
#include "test_signals.h"

namespace {

constexpr double kSeconds = 2.0;

struct Layout {
  uint32_t rate, channels, bits;
};
constexpr Layout kLayouts[3] = {{11025, 1, 8}, {22050, 1, 16}, {44100, 2, 16}};

std::vector<int16_t> source(const Layout& l, bool music) {
  std::vector<int16_t> s = music ? soundtest::musicLike(l.rate, l.channels, kSeconds)
                                 : soundtest::speechLike(l.rate, l.channels, kSeconds);
  if (l.bits == 8)
    for (int16_t& v : s) v = static_cast<int16_t>((v >> 8) * 256);
  return s;
}

// Args: layout, music (0/1), soundOption.
void BM_SoundEncode(benchmark::State& state) {
  const Layout& l = kLayouts[state.range(0)];
  const std::vector<int16_t> pcm = source(l, state.range(1) != 0);
  const uint32_t option = static_cast<uint32_t>(state.range(2));
  std::vector<uint8_t> packet;
  for (auto _ : state) {
    packet = soundtest::encodePacket(pcm, l.rate, l.channels, option);
    benchmark::DoNotOptimize(packet.data());
  }
  std::vector<int16_t> decoded = soundtest::decodePackets({packet}, l.rate, l.channels);
  if (l.bits == 8)  // what an 8-bit track delivers
    for (int16_t& v : decoded) v = static_cast<int16_t>((v >> 8) * 256);
  state.counters["snr_db"] = soundtest::snrDb(pcm, decoded);
  state.counters["coded_bytes_per_s"] = packet.size() / kSeconds;
  state.counters["x_realtime"] = benchmark::Counter(kSeconds, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SoundDecode(benchmark::State& state) {
  const Layout& l = kLayouts[state.range(0)];
  const std::vector<std::vector<uint8_t>> packets = {soundtest::encodePacket(source(l, true), l.rate, l.channels, 0)};
  for (auto _ : state) benchmark::DoNotOptimize(soundtest::decodePackets(packets, l.rate, l.channels).data());
  state.counters["x_realtime"] = benchmark::Counter(kSeconds, benchmark::Counter::kIsIterationInvariantRate);
}

void encodeArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"layout", "music", "option"});
  for (int layout = 0; layout < 3; ++layout)
    for (int music = 0; music < 2; ++music)
      for (int option : {0, 2, 4, 8, 12, 20}) b->Args({layout, music, option});
}

BENCHMARK(BM_SoundEncode)->Apply(encodeArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoundDecode)->ArgName("layout")->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
