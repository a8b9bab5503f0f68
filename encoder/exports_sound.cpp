// zurnmake's exported sound mixer.
#include "encoder/zurnmix.h"
#include "tol/zurnmix.h"

TOLAPI(uint32_t)
ZurnMix(const char* inputName, const char* outputName, uint32_t fpsNumerator, uint32_t fpsDenominator,
        int32_t delay, uint32_t trackCount, ZurnMakeSoundTrack* tracks, ZurnMakeCallback callback) {
  return tol::ZurnMix(inputName, outputName, fpsNumerator, fpsDenominator, delay, trackCount, tracks, callback);
}
