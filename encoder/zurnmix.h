// The sound mixer: rewrites a Zurn file with new or replaced sound tracks
// (see include/tol/zurnmix.h for the contract).
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/zurnmake_record.h"

TOL_NS_BEGIN

uint32_t ZurnMix(const char* inputName, const char* outputName, uint32_t fpsNumerator, uint32_t fpsDenominator,
                 int32_t delay, uint32_t trackCount, ZurnMakeSoundTrack* tracks, ZurnMakeCallback callback);

TOL_NS_END
