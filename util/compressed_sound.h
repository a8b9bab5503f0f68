// The compressed-sound writer: a sound input cut into chunks by the sound
// chunk coder (see include/tol/csfile.h).
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/csfile.h"

TOL_NS_BEGIN

CSFile* CSFileOpen(const char* name, int32_t level, int32_t loopInput, int32_t repeat, uint32_t delayMs,
                   uint32_t lengthMs, int32_t rate, int32_t bits, int32_t channels, int32_t start, int32_t end,
                   int32_t track, uint32_t rawDescription, uint32_t rawOffset, TOLMediaCallback callback);
void CSFileSetOutput(CSFile* cs, TOLFile* file);
uint32_t CSFilePut(CSFile* cs, uint32_t bytes);
void CSFileClose(CSFile* cs);
int32_t CSFileCommandline(char* text, int32_t* level, int32_t* loop, int32_t* rate, int32_t* bits, int32_t* channels,
                          int32_t* start, int32_t* end, int32_t* track, uint32_t* rawDescription, uint32_t* rawOffset);

TOL_NS_END
