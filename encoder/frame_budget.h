// Sharing the data rate among the frames of the window: each frame's weight
// (how hard it is to code), the sound expected in the rest of the window,
// and the video byte budget of the frame being compressed.
#pragma once

#include <cstdint>

#include "encoder/colour_convert.h"
#include "platform/libns.h"
#include "tol/zurnmake_record.h"

TOL_NS_BEGIN

struct SoundTrackState;

struct FramePlanes {
  const uint8_t* y;
  const uint8_t* cr;
  const uint8_t* cb;
};

// Keyframe: 1.5 x the order-0 entropy of the three planes in bytes. Delta
// frame: the entropy of the samples that moved by more than 2 against the
// previous source frame.
uint32_t frameWeight(const FramePlanes& frame, const FramePlanes& previous, const PlaneGeometry& g, bool key);

// Coded bytes the tracks are expected to take over the next `frames` frames.
uint64_t soundEstimate(const SoundTrackState* tracks, uint32_t trackCount, uint32_t frames,
                       uint32_t fpsNumerator, uint32_t fpsDenominator);

// The frame's share of what the window has left after the sound.
uint32_t frameShare(int64_t windowBudget, uint64_t sound, uint32_t weight, uint64_t weightSum,
                    uint32_t framesInWindow);

// Raises the share to a tenth of the target and to the bytes the block type
// symbols alone need, then lowers it to the maximum.
uint32_t clampFrameBudget(uint32_t share, uint32_t targetSize, uint32_t maxSize, const PlaneStats& luma,
                          const PlaneStats& cr, const PlaneStats& cb, const PlaneGeometry& g);

TOL_NS_END
