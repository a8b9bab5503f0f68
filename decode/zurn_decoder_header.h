// The front of a Zurn file as the decoder reads it: the 44-byte header, the
// three sound track tables, the frame index, and the checks that keep a
// damaged or hostile file from sending the decoder outside its buffers.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// Open failure texts, as callers show them.
inline constexpr const char kZurnErrorOpening[] = "Error opening file.";
inline constexpr const char kZurnErrorNotZurn[] = "Not a Zurn file.";
inline constexpr const char kZurnErrorNoFrames[] = "The file doesn't contain any compressed frames yet.";
inline constexpr const char kZurnErrorMemory[] = "Out of memory.";
// A header, table or index that does not fit the file.
inline constexpr const char kZurnErrorDamaged[] = "The Zurn file is damaged.";

// Largest frame width or height the decoder accepts; keeps every buffer
// size within 32 bits.
inline constexpr uint32_t kZurnMaxDimension = 16384;

inline uint32_t loadLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

struct ZurnFileHeader {
  static constexpr uint32_t kSize = 44;
  static constexpr uint32_t kMagic = 0x664E525A;  // "ZRNf"
  static constexpr uint32_t kKeyFrameBit = 1;

  uint32_t magic = 0;
  uint32_t fileSizeLess8 = 0;
  uint32_t frames = 0;
  uint32_t largestFrame = 0;
  uint32_t indexFrames = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t fpsNumerator = 0;
  uint32_t fpsDenominator = 0;
  uint32_t videoFlags = 0;
  uint32_t soundTrackCount = 0;

  // Takes the fields from the first kSize bytes of the file.
  void parse(const uint8_t* bytes);

  uint64_t fileSize() const { return uint64_t{fileSizeLess8} + 8; }
  uint64_t tableBytes() const { return uint64_t{4} * soundTrackCount; }
  uint64_t indexEntries() const { return uint64_t{indexFrames} + 1; }
  // Offset of the index and of the first frame as the layout fixes them.
  uint64_t indexOffset() const { return kSize + 3 * tableBytes(); }
  uint64_t dataOffset() const { return indexOffset() + 4 * indexEntries(); }
  // The frame rate rounded to whole frames per second (0 for a zero rate).
  uint32_t roundedRate() const;

  // Checks the header against the bytes that the file holds (available).
  // Returns null when sound, else the open failure text.
  const char* check(uint64_t available) const;
};

// Checks the first frames + 1 entries of the index: offsets (keyframe bit
// masked off) strictly increasing, starting at or after dataStart and ending
// at or before fileSize. On success stores the size of the largest frame.
bool zurnIndexIsSound(const uint32_t* index, uint32_t frames, uint64_t dataStart, uint64_t fileSize,
                      uint32_t* largestFrame);

// The largest number of bytes in any run of `rate` consecutive frames, and
// the first frame of such a run. When no run of that length exists or all
// are empty, the average frame size times the rate.
uint64_t zurnPeakSecond(const uint32_t* index, uint32_t frames, uint32_t rate, uint32_t* startFrame);

inline uint32_t zurnFrameOffset(uint32_t entry) { return entry & ~ZurnFileHeader::kKeyFrameBit; }

TOL_NS_END
