// Decoder of Zurn sound packets: one state per track, kept across frames so
// that consecutive blocks are cross-faded without clicks.
//
// A packet (the bytes behind its packetSize field) holds the decoded size D
// (bytes, counted as 16-bit samples) and then whole coded blocks. Every block
// yields (length - overlap) samples; the last block of a packet may deliver
// only part of them, the rest is dropped.
//
// Robustness: reads stay inside the packet (a word that is not all there
// reads as zero bits, which decode as silence), and D is cut to the caller's buffer, so damaged
// packets give silence or short output, never an access outside the buffers.
#pragma once

#include <cstdint>

#include "decode/core/sound_fft.h"
#include "decode/core/sound_tables.h"
#include "platform/libns.h"

TOL_NS_BEGIN

class BitReader;

struct SoundBlockDecoder {
  uint32_t length;        // interleaved samples per block
  uint32_t overlap;       // samples cross-faded with the previous block
  uint32_t overlapShift;  // log2(overlap)
  float root;             // 1 / sqrt(length): the inverse of the coder's scaling
  uint32_t firstBlock;    // 1 until a block has been decoded: nothing to fade with
  SoundBands bands;
  SoundFft fft;
  float* spectrum;        // length complex values
  int16_t* samples;       // the last decoded block
  int16_t tail[kSoundMaxOverlap];
};

// Track parameters from a soundFlags word.
struct SoundTrackFormat {
  uint32_t rate;      // Hz
  uint32_t channels;  // 1 or 2
  uint32_t bits;      // 8 or 16
  bool playable;      // bit 31
};
SoundTrackFormat soundTrackFormat(uint32_t flags);

// Null when memory runs out. rate from 0 to 65535, channels 1 or 2.
SoundBlockDecoder* soundBlockDecoderCreate(uint32_t rate, uint32_t channels);
void soundBlockDecoderDestroy(SoundBlockDecoder* decoder);

// Decodes the block at the reader's position (word aligned) into
// decoder->samples and leaves the reader on the next word boundary. Returns
// the bytes the block delivers, counted as 16-bit samples.
uint32_t soundDecodeBlock(SoundBlockDecoder* decoder, BitReader& reader);

// Decodes one packet (data: the size bytes behind its packetSize field) into
// dest: signed 16-bit samples, or unsigned 8-bit ones when sampleBits is 8.
// Writes at most capacity bytes; returns the number written.
uint32_t soundDecodePacket(SoundBlockDecoder* decoder, const uint8_t* data, uint32_t size, uint32_t sampleBits,
                           uint8_t* dest, uint32_t capacity);

TOL_NS_END
