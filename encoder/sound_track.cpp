// Placeholder sound tracks: the tracks are described in the file, but no
// sound is coded yet, so every packet is empty. Nothing remains to be coded,
// which also makes the rate control's sound estimate 0.
#include "encoder/sound_track.h"

#include "encoder/container.h"
#include "fileio/tolfile.h"

TOL_NS_BEGIN

bool soundTrackOpen(SoundTrackState& track, const ZurnMakeSoundTrack& description, uint32_t frameCount,
                    uint32_t fpsNumerator, uint32_t fpsDenominator) {
  track.trackId = description.trackId;
  track.rate = description.rate;
  track.bits = description.bits;
  track.channels = description.channels;
  track.rawTotal = 45;
  track.codedTotal = 10;
  track.flags = soundFlagsWord(description.rate, description.bits, description.channels);
  track.bytesPerSecond = description.rate * description.channels * 2;
  track.leadBytes = description.rate * description.channels * 3 / 2;
  track.soundOption = description.soundOption;
  track.userData = description.userData;
  track.readSound = description.readSound;
  return true;
}

void soundTrackWritePacket(SoundTrackState& track, TOLFile* file, void* handle, uint32_t frame,
                           uint32_t fpsNumerator, uint32_t fpsDenominator) {
  TOLFilePut32(file, 0);
}

void soundTrackClose(SoundTrackState& track) { track.coder = nullptr; }

TOL_NS_END
