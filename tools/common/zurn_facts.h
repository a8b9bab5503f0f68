// What the front of a Zurn file says: header, sound tracks and the frame
// index (sizes and key frames), read without decoding anything. The players
// seek by key frames and count data rates with it; the information tool
// reports it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolapp {

struct ZurnTrackFacts {
  uint32_t id = 0;
  uint32_t rate = 0;      // samples per second
  uint32_t bits = 8;      // 8 or 16
  uint32_t channels = 1;  // 1 or 2
  bool playable = false;  // bit 31 of the track's flags
  uint64_t bytes = 0;     // bytes of its packets over the whole file
};

struct ZurnFacts {
  uint64_t fileSize = 0;
  uint32_t width = 0, height = 0;  // height as coded
  int32_t lineMode = 0;  // 0 every line coded; every other line coded, 1 shown interlaced, 2 shown doubled
  uint32_t fpsNumerator = 0, fpsDenominator = 1;
  uint32_t frames = 0;
  uint32_t largestFrame = 0;            // as the index shows it
  std::vector<uint32_t> frameBytes;     // whole frame, packets included
  std::vector<uint32_t> videoBytes;     // the frame minus its sound packets
  std::vector<std::vector<uint32_t>> soundBytes;  // [track][frame], packet fields included
  std::vector<uint8_t> keyFrame;        // 1 for key frames
  std::vector<ZurnTrackFacts> tracks;

  double framesPerSecond() const { return fpsDenominator ? double(fpsNumerator) / fpsDenominator : 0; }
  double seconds() const { return framesPerSecond() > 0 ? frames / framesPerSecond() : 0; }
  // Largest number of bytes in any one-second run of frames (the rate
  // rounded, at least one frame) and the first frame (0-based) of that run.
  uint64_t peakSecondBytes(uint32_t* firstFrame = nullptr) const;
  // The key frame at or before frame (0-based), and the next one after it
  // (frames when there is none).
  uint32_t keyAtOrBefore(uint32_t frame) const;
  uint32_t keyAfter(uint32_t frame) const;
};

// Reads the facts of a Zurn file; false with a message when it cannot be
// opened, is not a Zurn file or its header, tables or index do not fit it.
// Each frame's sound packet fields are read too (withPackets) to split
// sound from video; a packet that runs past its frame ends the split there.
bool readZurnFacts(const std::string& name, ZurnFacts& facts, std::string& error, bool withPackets = true);

}  // namespace tolapp
