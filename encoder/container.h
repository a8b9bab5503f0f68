// Layout of a Zurn file: the 44-byte header, the three sound track tables,
// the frame index and the frames. Every field is a little-endian 32-bit
// word. Shared by the encoder job and the sound mixer.
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/tolfile_record.h"

TOL_NS_BEGIN

struct SoundTrackState;

constexpr uint32_t kZurnMagic = 0x664E525Au;  // "ZRNf"
constexpr uint32_t kZurnHeaderSize = 44;
constexpr uint32_t kZurnCountsOffset = 4;  // fileSizeLess8, frames, largestFrame
constexpr uint32_t kVideoFlagLineMode1 = 0x20000000u;
constexpr uint32_t kVideoFlagLineMode2 = 0x10000000u;
constexpr uint32_t kSoundFlagPlayable = 0x80000000u;
constexpr uint32_t kSoundFlag16Bit = 0x40000000u;
constexpr uint32_t kSoundFlagStereo = 0x20000000u;
constexpr uint32_t kIndexKeyframeBit = 1;

struct ZurnHeader {
  uint32_t fileSizeLess8;
  uint32_t frames;
  uint32_t largestFrame;
  uint32_t indexFrames;
  uint32_t width, height;
  uint32_t fpsNumerator, fpsDenominator;
  uint32_t videoFlags;
  uint32_t soundTrackCount;
};

// The soundFlags word of a track: bit 31, bit 30 for 16-bit samples, bit 29
// for stereo, plus the rate (which must stay below 65536).
uint32_t soundFlagsWord(uint32_t rate, uint32_t bits, uint32_t channels);

uint32_t videoFlagsForLineMode(uint32_t lineMode);

// Offset of frame 0: header, 3 tables of trackCount entries, indexFrames + 1
// index entries.
uint32_t firstFrameOffset(uint32_t trackCount, uint32_t indexFrames);

// Writes the whole header at the file's current position.
void writeZurnHeader(TOLFile* file, const ZurnHeader& header);

// Rewrites fileSizeLess8, frames and largestFrame at offset 4.
void rewriteZurnCounts(TOLFile* file, uint32_t fileSize, uint32_t frames, uint32_t largestFrame);
// Writes the three sound tables at offset 44 (from the track states).
void writeSoundTables(TOLFile* file, const SoundTrackState* tracks, uint32_t trackCount);
// Writes indexFrames + 1 index entries at the current position (right
// behind the tables).
void writeFrameIndex(TOLFile* file, const uint32_t* index, uint32_t indexFrames);

TOL_NS_END
