// tolutil's exported sound input functions.
#include "media/sfile.h"

TOLAPI(SFile*) SFileOpen(const char* name, int32_t rate, int32_t bits, int32_t channels, int32_t start, int32_t end,
                         int32_t track, uint32_t rawDescription, uint32_t rawOffset, TOLMediaCallback callback) {
  return tol::SFileOpen(name, rate, bits, channels, start, end, track, rawDescription, rawOffset, callback);
}
TOLAPI(uint32_t) SFileGet(SFile* handle, void* buffer, uint32_t bytes) {
  return tol::SFileGet(static_cast<tol::SFile*>(handle), buffer, bytes);
}
TOLAPI(void) SFileReset(SFile* handle) { tol::SFileReset(static_cast<tol::SFile*>(handle)); }
TOLAPI(void) SFileClose(SFile* handle) { tol::SFileClose(static_cast<tol::SFile*>(handle)); }
TOLAPI(int32_t) SFileCommandLine(char* commandLine, int32_t* rate, int32_t* bits, int32_t* channels, int32_t* start,
                                 int32_t* end, int32_t* track, uint32_t* rawDescription, uint32_t* rawOffset) {
  return tol::SFileCommandLine(commandLine, rate, bits, channels, start, end, track, rawDescription, rawOffset);
}
