#include "common/zurn_facts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace tolapp {
namespace {

constexpr uint32_t kHeaderSize = 44;
constexpr uint32_t kMaxTracks = 4096;
constexpr uint32_t kMaxDimension = 16384;

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

bool readAt(FILE* f, uint64_t offset, void* dest, size_t size) {
  return fseeko(f, off_t(offset), SEEK_SET) == 0 && std::fread(dest, 1, size, f) == size;
}

}  // namespace

uint64_t ZurnFacts::peakSecondBytes(uint32_t* firstFrame) const {
  const uint32_t run = std::max<uint32_t>(1, uint32_t(std::lround(framesPerSecond())));
  uint64_t sum = 0, best = 0;
  uint32_t bestStart = 0;
  for (uint32_t i = 0; i < frames; ++i) {
    sum += frameBytes[i];
    if (i >= run) sum -= frameBytes[i - run];
    if (sum > best) {
      best = sum;
      bestStart = i + 1 >= run ? i + 1 - run : 0;
    }
  }
  if (firstFrame) *firstFrame = bestStart;
  return best;
}

uint32_t ZurnFacts::keyAtOrBefore(uint32_t frame) const {
  frame = std::min(frame, frames ? frames - 1 : 0);
  while (frame > 0 && !keyFrame[frame]) --frame;
  return frame;
}

uint32_t ZurnFacts::keyAfter(uint32_t frame) const {
  for (uint32_t i = frame + 1; i < frames; ++i)
    if (keyFrame[i]) return i;
  return frames;
}

bool readZurnFacts(const std::string& name, ZurnFacts& z, std::string& error, bool withPackets) {
  z = ZurnFacts{};
  File f(std::fopen(name.c_str(), "rb"));
  if (!f) {
    error = "Error opening file.";
    return false;
  }
  fseeko(f.get(), 0, SEEK_END);
  z.fileSize = uint64_t(ftello(f.get()));
  uint8_t h[kHeaderSize];
  if (z.fileSize < kHeaderSize || !readAt(f.get(), 0, h, kHeaderSize) || le32(h) != 0x664E525Au) {
    error = "Not a Zurn file.";
    return false;
  }
  z.frames = le32(h + 8);
  const uint32_t indexFrames = le32(h + 16);
  z.width = le32(h + 20);
  z.height = le32(h + 24);
  z.fpsNumerator = le32(h + 28);
  z.fpsDenominator = le32(h + 32);
  const uint32_t videoFlags = le32(h + 36);
  z.lineMode = videoFlags & 0x20000000u ? 1 : videoFlags & 0x10000000u ? 2 : 0;
  const uint32_t trackCount = le32(h + 40);
  if (z.frames == 0) {
    error = "The file doesn't contain any compressed frames yet.";
    return false;
  }
  const uint64_t indexOffset = kHeaderSize + 12ull * trackCount;
  const uint64_t dataOffset = indexOffset + 4ull * (uint64_t(indexFrames) + 1);
  error = "The Zurn file is damaged.";
  if (trackCount > kMaxTracks || z.frames > indexFrames || dataOffset > z.fileSize || z.width == 0 ||
      z.height == 0 || z.width > kMaxDimension || z.height > kMaxDimension || z.fpsDenominator == 0 ||
      4ull * trackCount * z.frames > z.fileSize)  // every frame starts with a packet field per track
    return false;

  std::vector<uint8_t> tables(12ull * trackCount);
  if (!tables.empty() && !readAt(f.get(), kHeaderSize, tables.data(), tables.size())) return false;
  for (uint32_t t = 0; t < trackCount; ++t) {
    const uint32_t flags = le32(&tables[4ull * (trackCount + t)]);
    ZurnTrackFacts track;
    track.id = le32(&tables[4ull * (2 * trackCount + t)]);
    track.rate = flags & 0xFFFF;
    track.bits = flags & 0x40000000u ? 16 : 8;
    track.channels = flags & 0x20000000u ? 2 : 1;
    track.playable = flags & 0x80000000u;
    z.tracks.push_back(track);
  }

  std::vector<uint8_t> index(4ull * (uint64_t(z.frames) + 1));
  if (!readAt(f.get(), indexOffset, index.data(), index.size())) return false;
  z.frameBytes.resize(z.frames);
  z.keyFrame.resize(z.frames);
  uint64_t previous = le32(&index[0]) & ~1u;
  if (previous < dataOffset) return false;
  for (uint32_t i = 0; i < z.frames; ++i) {
    const uint32_t entry = le32(&index[4ull * i]);
    const uint64_t end = le32(&index[4ull * (i + 1)]) & ~1u;
    if (end <= previous || end > z.fileSize) return false;
    z.keyFrame[i] = entry & 1;
    z.frameBytes[i] = uint32_t(end - previous);
    z.largestFrame = std::max(z.largestFrame, z.frameBytes[i]);
    previous = end;
  }

  z.videoBytes = z.frameBytes;
  z.soundBytes.assign(trackCount, std::vector<uint32_t>(z.frames, 0));
  if (withPackets && trackCount) {
    std::vector<uint8_t> field(4);
    for (uint32_t i = 0; i < z.frames; ++i) {
      uint64_t at = le32(&index[4ull * i]) & ~1u;
      const uint64_t end = at + z.frameBytes[i];
      for (uint32_t t = 0; t < trackCount; ++t) {
        if (at + 4 > end || !readAt(f.get(), at, field.data(), 4)) break;
        const uint64_t packet = 4ull + le32(field.data());
        if (at + packet > end) break;
        z.soundBytes[t][i] = uint32_t(packet);
        z.tracks[t].bytes += packet;
        z.videoBytes[i] -= uint32_t(packet);
        at += packet;
      }
    }
  }
  error.clear();
  return true;
}

}  // namespace tolapp
