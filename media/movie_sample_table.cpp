#include "media/movie_sample_table.h"

#include <algorithm>
#include <new>

TOL_NS_BEGIN

namespace {

// Sample numbers and times beyond any real table; sums saturate here so that
// hostile tables cannot wrap them around.
constexpr uint64_t kSaturated = uint64_t(1) << 62;

uint64_t addSaturated(uint64_t a, uint64_t b, uint64_t c) {
  // a + b * c, held at kSaturated.
  if (b != 0 && c > (kSaturated - std::min(a, kSaturated)) / b) return kSaturated;
  return std::min(a + b * c, kSaturated);
}

// Entries of a full box's table: 4 bytes of version and flags, a 32-bit
// count, then count entries of entrySize bytes that must all be present.
bool tableEntries(ByteView body, size_t entrySize, uint32_t& count, ByteView& entries) {
  if (!body.has(0, 8)) return false;
  count = body.u32(4);
  entries = body.from(8);
  return uint64_t(count) * entrySize <= entries.size;
}

}  // namespace

bool SampleTable::build(ByteView stbl) try {
  Box stts, stsc, stsz, offsets;
  if (!findChild(stbl, fourcc("stts"), stts) || !findChild(stbl, fourcc("stsc"), stsc) ||
      !findChild(stbl, fourcc("stsz"), stsz))
    return false;
  const bool wide = !findChild(stbl, fourcc("stco"), offsets);
  if (wide && !findChild(stbl, fourcc("co64"), offsets)) return false;

  // Sizes: one for all samples, or one per sample.
  ByteView entries;
  uint32_t count = 0;
  if (!stsz.body.has(0, 12)) return false;
  constantSize_ = stsz.body.u32(4);
  sampleCount_ = stsz.body.u32(8);
  if (constantSize_ != 0) {
    largest_ = constantSize_;
  } else {
    entries = stsz.body.from(12);
    if (uint64_t(sampleCount_) * 4 > entries.size) return false;
    sizePrefix_.resize(size_t(sampleCount_) + 1);
    sizePrefix_[0] = 0;
    for (uint32_t i = 0; i < sampleCount_; ++i) {
      const uint32_t size = entries.u32(size_t(i) * 4);
      largest_ = std::max(largest_, size);
      sizePrefix_[i + 1] = sizePrefix_[i] + size;
    }
  }

  // Chunk offsets.
  if (!tableEntries(offsets.body, wide ? 8 : 4, count, entries)) return false;
  chunkOffsets_.resize(count);
  for (uint32_t i = 0; i < count; ++i)
    chunkOffsets_[i] = wide ? entries.u64(size_t(i) * 8) : entries.u32(size_t(i) * 4);

  // Runs of chunks with the same number of samples; first chunks numbered
  // from 1 and strictly increasing.
  if (!tableEntries(stsc.body, 12, count, entries)) return false;
  chunkRuns_.reserve(count);
  uint64_t sample = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t first = entries.u32(size_t(i) * 12);
    const uint32_t perChunk = entries.u32(size_t(i) * 12 + 4);
    if (first == 0 || (i > 0 && first - 1 <= chunkRuns_.back().firstChunk)) return false;
    if (first - 1 >= chunkOffsets_.size()) break;  // runs past the last chunk hold nothing
    if (i > 0) {
      const ChunkRun& previous = chunkRuns_.back();
      sample = addSaturated(sample, first - 1 - previous.firstChunk, previous.samplesPerChunk);
    }
    chunkRuns_.push_back({first - 1, perChunk, sample});
  }
  if (!chunkRuns_.empty()) {
    const ChunkRun& last = chunkRuns_.back();
    sample = addSaturated(sample, chunkOffsets_.size() - last.firstChunk, last.samplesPerChunk);
  }
  coveredSamples_ = std::min<uint64_t>(sample, sampleCount_);

  // Sample times: runs of equal durations.
  if (!tableEntries(stts.body, 8, count, entries)) return false;
  timeRuns_.reserve(count);
  uint64_t time = 0;
  sample = 0;
  for (uint32_t i = 0; i < count && sample < sampleCount_; ++i) {
    const uint32_t samples = entries.u32(size_t(i) * 8);
    const uint32_t delta = entries.u32(size_t(i) * 8 + 4);
    if (samples == 0) continue;
    timeRuns_.push_back({sample, time, delta});
    sample += samples;
    time = addSaturated(time, samples, delta);
  }
  duration_ = time;
  return true;
} catch (const std::bad_alloc&) {
  return false;
}

uint32_t SampleTable::sampleAtTime(uint64_t time) const {
  if (sampleCount_ == 0) return 0;
  // Last time run that starts at or before the time.
  auto run = std::upper_bound(timeRuns_.begin(), timeRuns_.end(), time,
                              [](uint64_t t, const TimeRun& r) { return t < r.startTime; });
  if (run == timeRuns_.begin()) return 0;
  --run;
  const uint64_t sample =
      run->delta == 0 ? run->firstSample : run->firstSample + (time - run->startTime) / run->delta;
  // Within a run of zero durations, or past the run's end: its last sample.
  const uint64_t runEnd = (run + 1 != timeRuns_.end()) ? (run + 1)->firstSample : sampleCount_;
  const uint64_t last = runEnd - 1;
  if (run->delta == 0) return uint32_t(last);
  return uint32_t(std::min(sample, last));
}

bool SampleTable::chunkOf(uint64_t sample, Chunk& chunk) const {
  if (sample >= coveredSamples_ || chunkRuns_.empty()) return false;
  auto run = std::upper_bound(chunkRuns_.begin(), chunkRuns_.end(), sample,
                              [](uint64_t s, const ChunkRun& r) { return s < r.firstSample; });
  // Runs of empty chunks share their first sample; the last of them that
  // starts at or before the sample holds it.
  if (run == chunkRuns_.begin()) return false;
  --run;
  if (run->samplesPerChunk == 0) return false;
  const uint64_t index = run->firstChunk + (sample - run->firstSample) / run->samplesPerChunk;
  if (index >= chunkOffsets_.size()) return false;
  chunk.offset = chunkOffsets_[size_t(index)];
  chunk.firstSample = run->firstSample + (index - run->firstChunk) * run->samplesPerChunk;
  chunk.samples = run->samplesPerChunk;
  return true;
}

bool SampleTable::sampleBytes(uint32_t sample, uint64_t& offset, uint32_t& size) const {
  Chunk chunk;
  if (!chunkOf(sample, chunk)) return false;
  const uint64_t before = sample - chunk.firstSample;
  if (constantSize_ != 0) {
    offset = chunk.offset + before * constantSize_;
    size = constantSize_;
  } else {
    offset = chunk.offset + (sizePrefix_[sample] - sizePrefix_[size_t(chunk.firstSample)]);
    size = uint32_t(sizePrefix_[size_t(sample) + 1] - sizePrefix_[sample]);
  }
  return offset >= chunk.offset;  // no wrap-around
}

TOL_NS_END
