// Per-track sound state of the encoder and the mixer, and the packet writer
// through which both put one packet per track and frame into a Zurn file.
//
// Timing: the packets of frame f carry, in whole coder blocks, the track's
// sound up to the frame's time plus three quarters of a second:
//   due(f) = bytesPerSecond x f x fpsDenominator / fpsNumerator + leadBytes
// (raw bytes of 16-bit sound). A packet stays empty (its size field alone)
// once `consumed` has reached due(f), and for good once `remaining` is 0.
//
// A source that delivers fewer bytes than asked is filled with zero bytes
// as far as `remaining` (the length promised at open) reaches; a source that
// comes up short beyond that has ended, and later packets are empty.
//
// Descriptions are brought into the file format: channels other than 2 are
// taken as 1, bits other than 8 as 16, rates above 65535 as 65535 (the
// soundFlags word has 16 bits for the rate), so that what the decoder reads
// from the flags always matches how the sound was coded.
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/tolfile_record.h"
#include "tol/zurnmake_record.h"

TOL_NS_BEGIN

struct SoundCoder;

struct SoundTrackState {
  uint32_t trackId;
  uint32_t rate;        // Hz; in the mixer, 0 marks a track copied from the input
  uint32_t bits;        // 8 or 16
  uint32_t channels;    // 1 or 2
  uint32_t rawTotal;    // raw bytes taken so far (halved for 8-bit tracks); starts at 45
  uint32_t codedTotal;  // coded bytes written so far; starts at 10
  uint32_t flags;       // the file's soundFlags word of the track
  uint32_t maxDecoded;  // largest decoded size of one packet
  uint32_t leadBytes;   // three quarters of a second of 16-bit sound
  uint32_t bytesPerSecond;
  uint32_t remaining;  // raw bytes still to be coded
  uint32_t consumed;   // raw bytes coded so far
  uint32_t soundOption;
  SoundCoder* coder;
  uint32_t silence;  // mixer only: zero bytes still to deliver before the host's sound
  void* userData;
  void* hostUserData;  // mixer only
  ZurnMakeReadSound readSound;
  ZurnMakeReadSound hostReadSound;  // mixer only
};

// Sets up a track of frameCount frames at the given frame rate from the
// host's description (the state must be zeroed first). False when its coder
// cannot be allocated.
bool soundTrackOpen(SoundTrackState& track, const ZurnMakeSoundTrack& description, uint32_t frameCount,
                    uint32_t fpsNumerator, uint32_t fpsDenominator);

// Writes the track's packet of frame `frame` (0-based) at the file's current
// position and leaves the position behind it; handle goes to readSound.
void soundTrackWritePacket(SoundTrackState& track, TOLFile* file, void* handle, uint32_t frame,
                           uint32_t fpsNumerator, uint32_t fpsDenominator);

// Mixer only: puts the delay wrapper in front of the host's readSound, with
// the silence that `delay` asks for (see ZurnMix): 0 or 1 none, n > 1 the
// sound of n - 1 frames, -m that of m milliseconds, in whole 4-byte units.
void soundTrackDelay(SoundTrackState& track, int32_t delay, uint32_t fpsNumerator, uint32_t fpsDenominator);

// Releases the track's coder.
void soundTrackClose(SoundTrackState& track);

TOL_NS_END
