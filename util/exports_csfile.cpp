// tolutil's exported compressed-sound writer.
#include "util/compressed_sound.h"

TOLAPI(CSFile*) CSFileOpen(const char* name, int32_t level, int32_t loopInput, int32_t repeat, uint32_t delayMs,
                           uint32_t lengthMs, int32_t rate, int32_t bits, int32_t channels, int32_t start,
                           int32_t end, int32_t track, uint32_t rawDescription, uint32_t rawOffset,
                           TOLMediaCallback callback) {
  return tol::CSFileOpen(name, level, loopInput, repeat, delayMs, lengthMs, rate, bits, channels, start, end, track,
                         rawDescription, rawOffset, callback);
}
TOLAPI(void) CSFileSetOutput(CSFile* handle, TOLFile* file) { tol::CSFileSetOutput(handle, file); }
TOLAPI(uint32_t) CSFilePut(CSFile* handle, uint32_t bytes) { return tol::CSFilePut(handle, bytes); }
TOLAPI(void) CSFileClose(CSFile* handle) { tol::CSFileClose(handle); }
TOLAPI(int32_t) CSFileCommandline(char* text, int32_t* level, int32_t* loop, int32_t* rate, int32_t* bits,
                                  int32_t* channels, int32_t* start, int32_t* end, int32_t* track,
                                  uint32_t* rawDescription, uint32_t* rawOffset) {
  return tol::CSFileCommandline(text, level, loop, rate, bits, channels, start, end, track, rawDescription, rawOffset);
}
