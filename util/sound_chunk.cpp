#include "util/sound_chunk.h"

#include <cstdlib>
#include <cstring>

#include "fileio/tolfile.h"
#include "util/huffman.h"

TOL_NS_BEGIN
namespace soundchunk {

namespace {

constexpr Quantiser kLevels8[10] = {{0xFF, 0}, {0xFE, 1}, {0xFC, 2}, {0xFC, 4},  {0xF8, 6},
                                    {0xF8, 8}, {0xF0, 12}, {0xF0, 16}, {0xE0, 24}, {0xE0, 32}};
constexpr Quantiser kLevels16[10] = {{0xFFFF, 0},  {0xFFFC, 4},   {0xFFF8, 8},   {0xFFF0, 16},  {0xFFC0, 64},
                                     {0xFF80, 128}, {0xFF00, 256}, {0xFE00, 512}, {0xFC00, 1024}, {0xF800, 2048}};

uint32_t sampleAt(const uint8_t* pcm, uint32_t index, bool wide) {
  return wide ? static_cast<uint32_t>(pcm[2 * index] | pcm[2 * index + 1] << 8) : pcm[index];
}

// Visits every sample after each channel's first with the delta to code,
// as the writer quantises it: emit(channel, delta).
template <typename Emit>
void walkDeltas(const uint8_t* pcm, uint32_t frames, const Format& f, const Quantiser& q, Emit&& emit) {
  const bool wide = f.bits == 16;
  const uint32_t wrap = wide ? 0xFFFF : 0xFF;
  uint32_t pred[2] = {};
  for (uint32_t c = 0; c < f.channels; ++c) pred[c] = sampleAt(pcm, c, wide);
  for (uint32_t i = f.channels; i < frames * f.channels; ++i) {
    const uint32_t c = i % f.channels;
    const uint32_t s = sampleAt(pcm, i, wide);
    const uint32_t delta = (s - pred[c]) & wrap;
    const uint32_t quantised = delta & q.mask;
    int32_t miss;
    if (wide) {
      miss = static_cast<int16_t>(pred[c] + quantised) - static_cast<int16_t>(s);
    } else if (f.channels == 1) {
      miss = static_cast<int32_t>((pred[c] + quantised) & 0xFF) - static_cast<int32_t>(s);
    } else {
      miss = static_cast<int32_t>(pred[c] + quantised) - static_cast<int32_t>(s);
    }
    const uint32_t coded = static_cast<uint32_t>(std::abs(miss)) > q.threshold ? delta : quantised;
    pred[c] = (pred[c] + coded) & wrap;
    emit(c, coded);
  }
}

void writeStream(TOLFile* out, const uint8_t* pcm, uint32_t frames, const Format& f, const Quantiser& q,
                 HuffTree* const trees[4]) {
  const bool wide = f.bits == 16;
  const uint32_t n = treeCount(f);
  for (uint32_t t = 0; t < n; ++t) {
    HuffSetOutput(trees[t], out);
    HuffInitStats(trees[t]);
  }
  walkDeltas(pcm, frames, f, q, [&](uint32_t c, uint32_t delta) {
    if (!wide) return HuffAddStat(trees[c], delta);
    HuffAddStat(trees[2 * c], delta & 0xFF);
    HuffAddStat(trees[2 * c + 1], delta >> 8);
  });
  TOLFilePutBits(out, 1 | (f.channels == 2) << 1 | wide << 2, 3);
  for (uint32_t t = 0; t < n; ++t) {
    huffman::limitCountsForDepth(trees[t]);
    HuffStartEncode(trees[t]);
  }
  for (uint32_t c = f.channels; c-- > 0;) {
    const uint32_t first = sampleAt(pcm, c, wide);
    if (wide) TOLFilePutBits(out, first >> 8, 8);
    TOLFilePutBits(out, first & 0xFF, 8);
  }
  walkDeltas(pcm, frames, f, q, [&](uint32_t c, uint32_t delta) {
    if (!wide) return static_cast<void>(HuffEncode(trees[c], delta));
    HuffEncode(trees[2 * c], delta & 0xFF);
    HuffEncode(trees[2 * c + 1], delta >> 8);
  });
  TOLFileByteAlign(out);
}

uint32_t load32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

}  // namespace

Quantiser levelQuantiser(int32_t level, uint32_t bits) {
  const int32_t i = level < 0 ? 0 : level > 9 ? 9 : level;
  return bits == 16 ? kLevels16[i] : kLevels8[i];
}

uint32_t writeChunk(TOLFile* out, const uint8_t* pcm, uint32_t bytes, const Format& format, const Quantiser& quantiser,
                    HuffTree* const trees[4], bool raw) {
  const uint32_t frames = bytes / format.frameBytes();
  if (!out || frames == 0) return 0;
  bytes = frames * format.frameBytes();
  TOLFileByteAlign(out);
  const uint32_t start = TOLFileGetPos(out);
  TOLFilePut32(out, 0);
  if (raw) {
    TOLFilePut(out, pcm, bytes);
  } else {
    TOLFilePut32(out, bytes);
    writeStream(out, pcm, frames, format, quantiser, trees);
    while (TOLFileGetPos(out) % 4) TOLFilePut8(out, 0);
  }
  const uint32_t end = TOLFileGetPos(out);
  TOLFileSetPos(out, start);
  TOLFilePut32(out, end - start);
  TOLFileSetPos(out, end);
  return end - start;
}

bool decodeStream(const uint8_t* data, size_t size, uint32_t soundBytes, const Format& f, uint8_t* dest,
                  DecodeWork& work) {
  const bool wide = f.bits == 16;
  if (soundBytes % f.frameBytes() != 0) return false;
  const uint32_t samples = soundBytes / (f.bits / 8);
  LsbBitReader in(data, data + size);
  if (in.read(3) != (1u | (f.channels == 2) << 1 | wide << 2)) return false;
  const uint32_t n = treeCount(f);
  for (uint32_t t = 0; t < n; ++t) {
    work.trees[t].init(work.storage[t], 256, DecodeWork::kLookupBits);
    if (!work.trees[t].loadByteTree(in)) return false;
  }
  uint32_t pred[2] = {};
  for (uint32_t c = f.channels; c-- > 0;) {
    pred[c] = wide ? in.read(8) << 8 : 0;
    pred[c] |= in.read(8);
  }
  for (uint32_t i = 0; i < samples; ++i) {
    const uint32_t c = i % f.channels;
    if (i >= f.channels) {
      if (wide) {
        const int32_t lo = work.trees[2 * c].decode(in);
        const int32_t hi = work.trees[2 * c + 1].decode(in);
        if (lo < 0 || hi < 0) return false;
        pred[c] = (pred[c] + static_cast<uint32_t>(lo | hi << 8)) & 0xFFFF;
      } else {
        const int32_t d = work.trees[c].decode(in);
        if (d < 0) return false;
        pred[c] = (pred[c] + static_cast<uint32_t>(d)) & 0xFF;
      }
    }
    if (wide) {
      dest[2 * i] = static_cast<uint8_t>(pred[c]);
      dest[2 * i + 1] = static_cast<uint8_t>(pred[c] >> 8);
    } else {
      dest[i] = static_cast<uint8_t>(pred[c]);
    }
  }
  return !in.overrun();
}

int32_t readChunk(const uint8_t* chunk, size_t available, bool compressed, const Format& format, uint8_t* dest,
                  uint32_t capacity, DecodeWork& work) {
  if (available < 4) return 0;
  const uint32_t size = load32(chunk);
  if (size < 4 || size > available) return 0;
  if (!compressed) {
    if (size - 4 > capacity) return 0;
    std::memcpy(dest, chunk + 4, size - 4);
    return static_cast<int32_t>(size - 4);
  }
  if (size < 8) return 0;
  const uint32_t soundBytes = load32(chunk + 4);
  if (soundBytes == 0 || soundBytes == 0xFFFFFFFFu) return static_cast<int32_t>(soundBytes);
  if (soundBytes > capacity || soundBytes > 0x7FFFFFFF) return 0;
  return decodeStream(chunk + 8, size - 8, soundBytes, format, dest, work) ? static_cast<int32_t>(soundBytes) : 0;
}

}  // namespace soundchunk
TOL_NS_END
