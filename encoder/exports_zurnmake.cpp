// The encoder job's exported functions.
#include "encoder/job.h"
#include "tol/zurnmake.h"

TOLAPI(ZurnMakeState*)
ZurnMake(const char* outputName, uint32_t pitch, uint32_t width, uint32_t height, uint32_t frameCount,
         uint32_t keyInterval, uint32_t lineMode, uint32_t fpsNumerator, uint32_t fpsDenominator,
         uint32_t soundTrackCount, const ZurnMakeSoundTrack* soundTracks, uint32_t windowSize,
         ZurnMakeCallback callback) {
  return tol::ZurnMake(outputName, pitch, width, height, frameCount, keyInterval, lineMode, fpsNumerator,
                       fpsDenominator, soundTrackCount, soundTracks, windowSize, callback);
}

TOLAPI(void)
ZurnMakePutVideo(ZurnMakeState* handle, uint32_t targetSize, uint32_t maxSize, uint32_t keyframe,
                 const void* pixels) {
  tol::ZurnMakePutVideo(handle, targetSize, maxSize, keyframe, pixels);
}

TOLAPI(int32_t) ZurnMakeFlush(ZurnMakeState* handle) { return tol::ZurnMakeFlush(handle); }

TOLAPI(uint32_t) ZurnMakeClose(ZurnMakeState* handle, int32_t discard) {
  return tol::ZurnMakeClose(handle, discard);
}
