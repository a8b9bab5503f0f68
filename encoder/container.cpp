#include "encoder/container.h"

#include "encoder/sound_track.h"
#include "fileio/tolfile.h"

TOL_NS_BEGIN

uint32_t soundFlagsWord(uint32_t rate, uint32_t bits, uint32_t channels) {
  uint32_t flags = kSoundFlagPlayable + rate;
  if (bits == 16) flags |= kSoundFlag16Bit;
  if (channels == 2) flags |= kSoundFlagStereo;
  return flags;
}

uint32_t videoFlagsForLineMode(uint32_t lineMode) {
  if (lineMode == 1) return kVideoFlagLineMode1;
  if (lineMode == 2) return kVideoFlagLineMode2;
  return 0;
}

uint32_t firstFrameOffset(uint32_t trackCount, uint32_t indexFrames) {
  return kZurnHeaderSize + 12 * trackCount + 4 * (indexFrames + 1);
}

void writeZurnHeader(TOLFile* file, const ZurnHeader& h) {
  const uint32_t words[] = {kZurnMagic, h.fileSizeLess8, h.frames,         h.largestFrame,
                            h.indexFrames, h.width,      h.height,         h.fpsNumerator,
                            h.fpsDenominator, h.videoFlags, h.soundTrackCount};
  for (uint32_t w : words) TOLFilePut32(file, w);
}

void rewriteZurnCounts(TOLFile* file, uint32_t fileSize, uint32_t frames, uint32_t largestFrame) {
  TOLFileSetPos(file, kZurnCountsOffset);
  TOLFilePut32(file, fileSize - 8);
  TOLFilePut32(file, frames);
  TOLFilePut32(file, largestFrame);
}

void writeSoundTables(TOLFile* file, const SoundTrackState* tracks, uint32_t trackCount) {
  TOLFileSetPos(file, kZurnHeaderSize);
  for (uint32_t i = 0; i < trackCount; ++i) TOLFilePut32(file, tracks[i].maxDecoded);
  for (uint32_t i = 0; i < trackCount; ++i) TOLFilePut32(file, tracks[i].flags);
  for (uint32_t i = 0; i < trackCount; ++i) TOLFilePut32(file, tracks[i].trackId);
}

void writeFrameIndex(TOLFile* file, const uint32_t* index, uint32_t indexFrames) {
  for (uint32_t i = 0; i <= indexFrames; ++i) TOLFilePut32(file, index[i]);
}

TOL_NS_END
