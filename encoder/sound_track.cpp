#include "encoder/sound_track.h"

#include <algorithm>
#include <cstring>

#include "encoder/container.h"
#include "encoder/sound_coder.h"
#include "fileio/tolfile.h"

TOL_NS_BEGIN

namespace {

constexpr uint32_t kLargestRate = 65535;

// a x b / c without overflow for a below 2^63, saturating.
uint64_t mulDiv(uint64_t a, uint32_t b, uint32_t c) {
  if (c == 0) return UINT64_MAX;
  const uint64_t q = a / c, r = a % c;
  if (q != 0 && b > UINT64_MAX / q) return UINT64_MAX;
  return q * b + r * b / c;
}

// Delivers the track's remaining silence first, then the host's sound.
int32_t TOL_CC delayedRead(void* handle, void* userData, void* buffer, int32_t byteCount) {
  SoundTrackState& t = *static_cast<SoundTrackState*>(userData);
  const uint32_t wanted = byteCount > 0 ? static_cast<uint32_t>(byteCount) : 0;
  const uint32_t zeros = std::min(wanted, t.silence);
  std::memset(buffer, 0, zeros);
  t.silence -= zeros;
  int64_t delivered = 0;
  if (wanted > zeros && t.hostReadSound)
    delivered = t.hostReadSound(handle, t.hostUserData, static_cast<uint8_t*>(buffer) + zeros,
                                static_cast<int32_t>(wanted - zeros));
  return static_cast<int32_t>(zeros + std::clamp<int64_t>(delivered, 0, wanted - zeros));
}

}  // namespace

bool soundTrackOpen(SoundTrackState& track, const ZurnMakeSoundTrack& description, uint32_t frameCount,
                    uint32_t fpsNumerator, uint32_t fpsDenominator) {
  track.trackId = description.trackId;
  track.rate = std::min(description.rate, kLargestRate);
  track.bits = description.bits == 8 ? 8 : 16;
  track.channels = description.channels == 2 ? 2 : 1;
  track.rawTotal = 45;
  track.codedTotal = 10;
  track.flags = soundFlagsWord(track.rate, track.bits, track.channels);
  track.leadBytes = track.rate * track.channels * 3 / 2;
  track.bytesPerSecond = track.rate * track.channels * 2;
  // The promised length, rounded up to whole 4-byte units.
  const uint64_t length = fpsNumerator ? mulDiv(uint64_t{track.bytesPerSecond} * frameCount, fpsDenominator, fpsNumerator) : 0;
  track.remaining = static_cast<uint32_t>(std::min<uint64_t>((length + 3) & ~uint64_t{3}, 0xFFFFFFFCu));
  track.soundOption = description.soundOption;
  track.userData = description.userData;
  track.readSound = description.readSound;
  track.coder = soundCoderCreate(track.rate, track.channels);
  return track.coder != nullptr;
}

void soundTrackWritePacket(SoundTrackState& t, TOLFile* file, void* handle, uint32_t frame, uint32_t fpsNumerator,
                           uint32_t fpsDenominator) {
  const uint64_t due =
      std::min(mulDiv(uint64_t{t.bytesPerSecond} * frame, fpsDenominator, fpsNumerator), UINT64_MAX - t.leadBytes) +
      t.leadBytes;
  const uint32_t start = TOLFileGetPos(file);
  TOLFilePut32(file, 0);
  if (t.consumed >= due || t.remaining == 0 || !t.coder) return;
  TOLFilePut32(file, 0);

  const uint32_t consumedBefore = t.consumed;
  for (;;) {
    uint32_t wanted = 0;
    int16_t* input = soundCoderInput(t.coder, &wanted);
    const int32_t delivered = t.readSound ? t.readSound(handle, t.userData, input, static_cast<int32_t>(wanted)) : 0;
    uint32_t received = static_cast<uint32_t>(std::clamp<int64_t>(delivered, 0, wanted));
    if (received < wanted && t.remaining > received) {
      const uint32_t fillTo = std::min(wanted, t.remaining);
      std::memset(reinterpret_cast<uint8_t*>(input) + received, 0, fillTo - received);
      received = fillTo;
    }
    const bool ended = received < wanted;
    t.rawTotal += t.bits == 8 ? received / 2 : received;

    uint32_t accounted = 0;
    const uint32_t coded = soundCoderEncode(t.coder, received, t.soundOption, &accounted);
    t.codedTotal += coded;
    TOLFilePutNB(file, t.coder->coded, coded);
    accounted = std::min(accounted, t.remaining);
    t.remaining -= accounted;
    t.consumed += accounted;
    if (ended) t.remaining = 0;
    if (ended || t.remaining == 0 || t.consumed >= due) break;
  }

  const uint32_t end = TOLFileGetPos(file);
  const uint32_t decoded = t.consumed - consumedBefore;
  TOLFileSetPos(file, start);
  TOLFilePut32(file, end - start - 4);
  TOLFilePut32(file, decoded);
  TOLFileSetPos(file, end);
  t.maxDecoded = std::max(t.maxDecoded, decoded);
}

void soundTrackDelay(SoundTrackState& t, int32_t delay, uint32_t fpsNumerator, uint32_t fpsDenominator) {
  uint64_t silence = 0;
  if (delay > 1)
    silence = mulDiv(uint64_t{t.bytesPerSecond} * static_cast<uint32_t>(delay - 1), fpsDenominator, fpsNumerator);
  else if (delay < 0)
    silence = uint64_t{t.bytesPerSecond} * (-static_cast<int64_t>(delay)) / 1000;
  t.silence = static_cast<uint32_t>(std::min<uint64_t>(silence, 0xFFFFFFFFu) & ~uint64_t{3});
  t.hostUserData = t.userData;
  t.hostReadSound = t.readSound;
  t.userData = &t;
  t.readSound = delayedRead;
}

void soundTrackClose(SoundTrackState& track) {
  soundCoderDestroy(track.coder);
  track.coder = nullptr;
}

TOL_NS_END
