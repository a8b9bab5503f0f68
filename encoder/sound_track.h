// Per-track sound state of the encoder and the calls through which the
// encoder job drives the sound tracks: set-up at open, one packet per track
// and frame, release at close.
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/tolfile_record.h"
#include "tol/zurnmake_record.h"

TOL_NS_BEGIN

struct SoundTrackState {
  uint32_t trackId;
  uint32_t rate;  // Hz; in the mixer, 0 marks a track copied from the input
  uint32_t bits;  // 8 or 16
  uint32_t channels;
  uint32_t rawTotal;    // raw bytes taken so far, in 16-bit units; starts at 45
  uint32_t codedTotal;  // coded bytes written so far; starts at 10
  uint32_t flags;       // the file's soundFlags word of the track
  uint32_t maxDecoded;  // largest decoded size of one packet
  uint32_t leadBytes;   // three quarters of a second of 16-bit sound
  uint32_t bytesPerSecond;
  uint32_t remaining;  // raw bytes still to be coded
  uint32_t consumed;   // raw bytes coded so far
  uint32_t soundOption;
  void* coder;
  uint32_t silence;  // mixer only: zero bytes still to deliver first
  void* userData;
  void* hostUserData;  // mixer only
  ZurnMakeReadSound readSound;
  ZurnMakeReadSound hostReadSound;  // mixer only
};

// Sets up a track of a job of frameCount frames from the host's description
// (the state must be zeroed first). False when its coder cannot be allocated.
bool soundTrackOpen(SoundTrackState& track, const ZurnMakeSoundTrack& description, uint32_t frameCount,
                    uint32_t fpsNumerator, uint32_t fpsDenominator);

// Writes the track's packet of frame `frame` at the file's current position;
// handle is handed to readSound.
void soundTrackWritePacket(SoundTrackState& track, TOLFile* file, void* handle, uint32_t frame,
                           uint32_t fpsNumerator, uint32_t fpsDenominator);

// Releases the track's coder.
void soundTrackClose(SoundTrackState& track);

TOL_NS_END
