// The sound coder of one track: frames the track's samples into blocks,
// transforms and quantises each block and writes it in the block syntax
// that the sound decoder reads.
//
// Framing: a block holds N x channels interleaved samples (N = 512, 1024 or
// 2048 by rate); consecutive blocks overlap by one sixteenth of a block, the
// held-back end of one block starting the next. The first block therefore
// takes N x channels x 2 bytes of new input, every later one
// (N x channels - overlap) x 2 bytes, and each block accounts for
// (N x channels - overlap) x 2 bytes of the track, fewer at the source's end.
//
// Coding a block: the samples (a short block padded by repeating its last
// sample frame) are transformed, scaled by 1 / sqrt(N x channels), as one
// real signal; bins 0 and N x channels / 2 go out as 29-bit floats; every
// critical band gets a step from the perceptual model (encoder/sound_model.h)
// and the step search (encoder/sound_quantiser.h), and the quantised values
// are written in chunks (encoder/sound_chunks.h).
#pragma once

#include <cstdint>

#include "decode/core/sound_fft.h"
#include "decode/core/sound_tables.h"
#include "encoder/sound_model.h"
#include "platform/libns.h"

TOL_NS_BEGIN

struct SoundCoder {
  uint32_t length;        // interleaved samples per block
  uint32_t overlap;       // samples shared with the next block
  uint32_t channels;
  uint32_t started;       // 1 once the first block has been coded
  uint64_t received;      // bytes of input handed to the coder so far
  uint64_t counted;       // bytes the coded blocks account for
  float scale;            // 1 / sqrt(length)
  SoundBands bands;
  SoundModel model;
  SoundFft fft;
  int16_t* input;         // one block of samples
  float* spectrum;        // length complex values
  int32_t* levels;        // quantised values by float position
  uint8_t* coded;         // the last coded block
  uint32_t codedCapacity;
};

// Null when memory runs out (zurnmake's allocator). rate up to 65535,
// channels 1 or 2.
SoundCoder* soundCoderCreate(uint32_t rate, uint32_t channels);
void soundCoderDestroy(SoundCoder* coder);

// Where the next block's new samples go, and how many bytes it takes.
int16_t* soundCoderInput(SoundCoder* coder, uint32_t* bytes);

// Codes the block whose new input holds `received` bytes (fewer than asked
// when the source has ended: the rest is padded). soundOption is the
// quality knob: 0 finest, larger values coarser. Returns the coded size in
// bytes (whole words, in coder->coded) and stores in *accounted the bytes of
// the track that the block delivers.
uint32_t soundCoderEncode(SoundCoder* coder, uint32_t received, uint32_t soundOption, uint32_t* accounted);

TOL_NS_END
