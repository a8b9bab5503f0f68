// Test-only writer of Zurn container files: a header, the track tables and
// the index around frames given as bytes, plus a reader that takes frames
// out of an existing file (for example a conformance vector) to reuse them.
// Used by the tests and the benchmarks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zurntest {

struct Track {
  uint32_t maxDecoded;
  uint32_t flags;
  uint32_t id;
};

struct Frame {
  std::vector<uint8_t> bytes;  // sound packets and video data
  bool key = false;
};

struct Clip {
  uint32_t width = 16;
  uint32_t height = 16;
  uint32_t fpsNumerator = 25;
  uint32_t fpsDenominator = 1;
  uint32_t videoFlags = 0;
  uint32_t extraIndexEntries = 0;  // indexFrames = frames + this
  std::vector<Track> tracks;
  std::vector<Frame> frames;
};

inline void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; i++) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline uint32_t get32(const std::vector<uint8_t>& in, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, in.data() + at, 4);
  return v;
}
inline void set32(std::vector<uint8_t>& out, size_t at, uint32_t v) { std::memcpy(out.data() + at, &v, 4); }

// Header field offsets.
enum : size_t { kFileSize = 4, kFrames = 8, kLargest = 12, kIndexFrames = 16, kWidth = 20, kHeight = 24,
                kFpsNum = 28, kFpsDen = 32, kVideoFlags = 36, kTracks = 40, kHeaderSize = 44 };

inline size_t indexOffset(const std::vector<uint8_t>& file) { return kHeaderSize + 12 * get32(file, kTracks); }

inline std::vector<uint8_t> build(const Clip& clip) {
  const uint32_t n = static_cast<uint32_t>(clip.frames.size());
  const uint32_t indexFrames = n + clip.extraIndexEntries;
  const uint32_t t = static_cast<uint32_t>(clip.tracks.size());
  std::vector<uint8_t> out;
  put32(out, 0x664E525A);
  for (int i = 0; i < 3; i++) put32(out, 0);  // size, frames, largest: below
  for (uint32_t v : {indexFrames, clip.width, clip.height, clip.fpsNumerator, clip.fpsDenominator, clip.videoFlags, t})
    put32(out, v);
  for (const Track& tr : clip.tracks) put32(out, tr.maxDecoded);
  for (const Track& tr : clip.tracks) put32(out, tr.flags);
  for (const Track& tr : clip.tracks) put32(out, tr.id);
  const size_t index = out.size();
  out.resize(out.size() + 4 * (indexFrames + 1), 0);
  uint32_t largest = 0;
  for (uint32_t k = 0; k < n; k++) {
    set32(out, index + 4 * k, static_cast<uint32_t>(out.size()) | (clip.frames[k].key ? 1 : 0));
    out.insert(out.end(), clip.frames[k].bytes.begin(), clip.frames[k].bytes.end());
    largest = std::max<uint32_t>(largest, static_cast<uint32_t>(clip.frames[k].bytes.size()));
  }
  set32(out, index + 4 * n, static_cast<uint32_t>(out.size()));
  set32(out, kFileSize, static_cast<uint32_t>(out.size() - 8));
  set32(out, kFrames, n);
  set32(out, kLargest, largest);
  return out;
}

// The frames of a Zurn file, with their keyframe flags.
inline std::vector<Frame> framesOf(const std::vector<uint8_t>& file) {
  const size_t index = indexOffset(file);
  std::vector<Frame> frames;
  for (uint32_t k = 0; k < get32(file, kFrames); k++) {
    uint32_t start = get32(file, index + 4 * k), end = get32(file, index + 4 * k + 4) & ~1u;
    frames.push_back({std::vector<uint8_t>(file.begin() + (start & ~1u), file.begin() + end), (start & 1) != 0});
  }
  return frames;
}

// A frame's bytes without its first `tracks` sound packets.
inline std::vector<uint8_t> videoOnly(const std::vector<uint8_t>& frame, uint32_t tracks) {
  size_t pos = 0;
  for (uint32_t t = 0; t < tracks; t++) pos += 4 + get32(frame, pos);
  return std::vector<uint8_t>(frame.begin() + static_cast<long>(pos), frame.end());
}

// Frame bytes for tests that never decode the video: a zero packet per
// track, then `videoBytes` bytes of a pattern.
inline std::vector<uint8_t> filler(uint32_t tracks, uint32_t videoBytes, uint8_t seed) {
  std::vector<uint8_t> out(4 * tracks, 0);
  for (uint32_t i = 0; i < videoBytes; i++) out.push_back(static_cast<uint8_t>(seed + i * 7));
  return out;
}

}  // namespace zurntest
