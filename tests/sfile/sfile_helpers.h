// Helpers of the sound input tests: WAVE files built byte by byte (with the
// chunk variations users bring), whole reads through SFileGet, and sample
// measurements.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "tol/sfile.h"
#include "tol/tolutil.h"

namespace sfiletest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(Bytes& b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
inline void putChunk(Bytes& b, const char* id, const Bytes& body, uint32_t sizeField) {
  b.insert(b.end(), id, id + 4);
  put32(b, sizeField);
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() & 1) b.push_back(0);
}

struct WaveLayout {
  uint32_t formatTag = 1;
  uint32_t channels = 1;
  uint32_t rate = 22050;
  uint32_t bits = 16;
  bool extensible = false;      // tag 0xFFFE with formatTag as the sub-format
  bool chunksBefore = false;    // LIST, fact and "cue " between "fmt " and "data"
  bool chunksAfter = false;     // a LIST chunk after "data"
  uint32_t dataSizeExtra = 0;   // the data size field claims this many bytes more
};

inline Bytes waveFile(const WaveLayout& w, const Bytes& data) {
  Bytes fmt;
  const uint32_t block = w.channels * w.bits / 8;
  put16(fmt, w.extensible ? 0xFFFE : w.formatTag);
  put16(fmt, w.channels);
  put32(fmt, w.rate);
  put32(fmt, w.rate * block);
  put16(fmt, block);
  put16(fmt, w.bits);
  if (w.extensible) {
    put16(fmt, 22);
    put16(fmt, w.bits);
    put32(fmt, w.channels == 2 ? 3 : 4);
    put16(fmt, w.formatTag);
    const uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    fmt.insert(fmt.end(), tail, tail + 14);
  }
  Bytes body = {'W', 'A', 'V', 'E'};
  putChunk(body, "fmt ", fmt, static_cast<uint32_t>(fmt.size()));
  if (w.chunksBefore) {
    putChunk(body, "LIST", Bytes{'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 3, 0, 0, 0, 'a', 'b', 0}, 15);
    putChunk(body, "fact", Bytes{1, 2, 3, 4}, 4);
    putChunk(body, "cue ", Bytes(28, 0), 28);
  }
  putChunk(body, "data", data, static_cast<uint32_t>(data.size()) + w.dataSizeExtra);
  if (w.chunksAfter) putChunk(body, "LIST", Bytes{'I', 'N', 'F', 'O', 'x'}, 5);
  if (w.dataSizeExtra && (data.size() & 1)) body.pop_back();  // the file ends with the data
  Bytes file = {'R', 'I', 'F', 'F'};
  put32(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

inline Bytes fromSamples(const std::vector<int16_t>& s) {
  Bytes b;
  for (int16_t v : s) put16(b, static_cast<uint16_t>(v));
  return b;
}
inline std::vector<int16_t> toSamples(const Bytes& b) {
  std::vector<int16_t> s(b.size() / 2);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(b[2 * i] | b[2 * i + 1] << 8);
  return s;
}

// Everything SFileGet delivers, in requests of `chunk` bytes.
inline Bytes readAll(SFile* s, uint32_t chunk = 4000) {
  Bytes out, buffer(chunk);
  for (int guard = 0; guard < 10000000; ++guard) {
    const uint32_t n = SFileGet(s, buffer.data(), chunk);
    if (n == 0) break;
    out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  }
  return out;
}

// A sine of `frequency` Hz, `amplitude`, on every channel.
inline std::vector<int16_t> sine(uint32_t rate, uint32_t channels, double frequency, double amplitude, uint32_t frames) {
  std::vector<int16_t> s;
  for (uint32_t i = 0; i < frames; ++i) {
    const double v = amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate);
    for (uint32_t c = 0; c < channels; ++c) s.push_back(static_cast<int16_t>(std::lround(v)));
  }
  return s;
}

// Frequency (from the count of upward zero crossings over whole periods)
// and RMS level of one channel of interleaved 16-bit samples, away from the
// ends.
struct Measure {
  double frequency = 0;
  double rms = 0;
};
inline Measure measure(const std::vector<int16_t>& s, uint32_t channels, uint32_t rate) {
  const size_t frames = s.size() / channels, from = frames / 10, to = frames - frames / 10;
  Measure m;
  double first = -1, last = -1;
  int crossings = 0;
  double sum = 0;
  for (size_t i = from; i < to; ++i) {
    const double a = s[(i - 1) * channels], b = s[i * channels];
    sum += b * b;
    if (a < 0 && b >= 0) {
      const double at = static_cast<double>(i - 1) + (-a) / (b - a);
      if (first < 0) first = at;
      else ++crossings;
      last = at;
    }
  }
  m.frequency = crossings > 0 ? crossings * rate / (last - first) : 0;
  m.rms = std::sqrt(sum / static_cast<double>(to - from));
  return m;
}

}  // namespace sfiletest
