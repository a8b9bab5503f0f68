// A track's sample tables (times, chunks, sizes and chunk offsets), checked
// and indexed for lookups by sample number and by media time.
#pragma once

#include <cstdint>
#include <vector>

#include "media/movie_boxes.h"
#include "platform/libns.h"

TOL_NS_BEGIN

class SampleTable {
 public:
  // Builds the table from a sample table box ('stbl'). False when a table
  // is missing or inconsistent (chunk runs out of order, sizes missing).
  bool build(ByteView stbl);

  // Samples the size table declares; samplesInChunks() of them lie in the
  // chunks and can be read.
  uint32_t sampleCount() const { return sampleCount_; }
  uint64_t samplesInChunks() const { return coveredSamples_; }
  // Sum of the sample durations, in media time units.
  uint64_t duration() const { return duration_; }

  // The sample shown at media time `time`: the last one that starts at or
  // before it (0 before the first, the last one past the end). Needs at
  // least one sample.
  uint32_t sampleAtTime(uint64_t time) const;

  struct Chunk {
    uint64_t offset = 0;       // file offset of the chunk
    uint64_t firstSample = 0;  // number of its first sample
    uint64_t samples = 0;      // samples it holds
  };
  // The chunk holding `sample`; false when no chunk holds it.
  bool chunkOf(uint64_t sample, Chunk& chunk) const;
  // File offset and size of a sample from the size table; false when no
  // chunk holds it.
  bool sampleBytes(uint32_t sample, uint64_t& offset, uint32_t& size) const;
  // The largest sample of the size table.
  uint32_t largestSample() const { return largest_; }

 private:
  struct ChunkRun {
    uint32_t firstChunk;  // 0-based
    uint32_t samplesPerChunk;
    uint64_t firstSample;
  };
  struct TimeRun {
    uint64_t firstSample;
    uint64_t startTime;
    uint32_t delta;
  };

  uint32_t sampleCount_ = 0;
  uint32_t constantSize_ = 0;
  uint32_t largest_ = 0;
  uint64_t coveredSamples_ = 0;
  uint64_t duration_ = 0;
  std::vector<uint64_t> sizePrefix_;  // sampleCount + 1 running sums when sizes vary
  std::vector<uint64_t> chunkOffsets_;
  std::vector<ChunkRun> chunkRuns_;
  std::vector<TimeRun> timeRuns_;
};

TOL_NS_END
