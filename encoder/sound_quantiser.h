// Band quantisers of the sound coder: the base step from the hearing
// threshold and the quality option, the search for the largest step whose
// noise stays below what the perceptual model allows, and the 8-bit step
// index (steps of 0.664 dB) that the block carries.
#pragma once

#include <cstdint>

#include "decode/core/sound_tables.h"
#include "platform/libns.h"

TOL_NS_BEGIN

// Threshold of hearing per band, in dB (a power ratio).
extern const uint8_t kSoundHearingDb[kSoundMaxBands];

// pow(0.5 x threshold, (soundOption + 1) / 4), kept between 1 and 2^44: the
// finest step a band is given. Larger options coarsen the bands whose
// threshold is high (the lowest and highest ones) first.
double soundBaseStep(uint32_t band, uint32_t soundOption);

// Grows the step from `base` while the noise of quantising `values` with it
// stays below `allowed` (the increment doubles after a success and halves
// after a failure, down to max(1, base / 10)); stops once the step exceeds
// the largest magnitude.
double soundSearchStep(const float* values, uint32_t count, double base, double allowed);

// The index of a step: 10 log10(step) / 0.664, truncated, 0 to 255. The
// decoder's factor for it (soundQuantiser) never exceeds the step.
uint32_t soundStepIndex(double step);

// Quantises values with a band's factor, to -32767..32767. Raises index
// first, if needed, so that the largest value fits that range unclipped.
void soundQuantiseBand(const float* values, uint32_t count, uint32_t* index, int32_t* out);

TOL_NS_END
