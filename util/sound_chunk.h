// Compressed sound chunks: the coder behind the compressed-sound writer
// (CSFilePut) and the Pleven file's sound chunks, and its exact inverse.
//
// Chunk layout (all numbers little-endian):
//   32-bit chunk size: from this field to the chunk's end, itself included
//   raw chunk:        the PCM bytes (no padding, so the size tells the exact
//                     sound length)
//   compressed chunk: 32-bit count of PCM bytes, the bit stream below, zero
//                     bytes up to the next multiple of 4 of the file position
//
// Bit stream, least significant bit first:
//   3 bits: 1 | stereo << 1 | 16-bit << 2
//   the byte trees' descriptions (HuffStartEncode, include/tol/huffman.h):
//     8-bit: one per channel; 16-bit: low then high byte tree per channel
//   the first sample of each channel, last channel first: 8-bit as 8 bits;
//     16-bit as the high byte then the low byte (8 bits each)
//   every further sample, channels interleaved as in the PCM: the delta from
//     the channel's prediction (8 or 16 bits, wrapping) through the channel's
//     tree (16-bit: low byte, then high byte); the prediction moves by it
//   zero bits to a byte boundary
//
// Lossy levels: the delta is ANDed with the level's mask unless the value
// this gives misses the sample by more than the threshold, in which case
// the exact delta is coded; decoded samples are thus within the threshold
// of the originals. The miss is measured on the wrapped 8-bit sum for 8-bit
// mono, on the unwrapped sum for 8-bit stereo (so falling deltas are coded
// exactly there) and on the sum as a signed 16-bit number for 16-bit sound.
// 8-bit samples are unsigned, 16-bit samples signed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"
#include "tol/huffman_record.h"
#include "util/huffman_decode.h"

TOL_NS_BEGIN
namespace soundchunk {

struct Format {
  uint32_t bits = 8;      // 8 or 16
  uint32_t channels = 1;  // 1 or 2
  uint32_t frameBytes() const { return bits / 8 * channels; }
};

struct Quantiser {
  uint32_t mask = 0xFF;
  uint32_t threshold = 0;
};

// The mask and threshold of compression level 0 (lossless) to 9; levels
// outside that range are held to it.
Quantiser levelQuantiser(int32_t level, uint32_t bits);

// Byte trees a chunk uses: channels, times two for 16-bit sound.
inline uint32_t treeCount(const Format& f) { return f.channels * (f.bits == 16 ? 2 : 1); }

// Writes one chunk at out's position from bytes of PCM (rounded down to
// whole sample frames) through the byte trees (treeCount of them, made by
// HuffOpen(1); their statistics are replaced). Returns the chunk size in
// bytes, or 0 when there is not one whole frame (nothing is written).
uint32_t writeChunk(TOLFile* out, const uint8_t* pcm, uint32_t bytes, const Format& format, const Quantiser& quantiser,
                    HuffTree* const trees[4], bool raw);

// Decoding work area: the four byte trees of a chunk.
struct DecodeWork {
  static constexpr unsigned kLookupBits = 8;
  static constexpr size_t kTreeBytes = (size_t{1} << kLookupBits) * 4 + 256 * 8;
  alignas(8) uint8_t storage[4][kTreeBytes];
  HuffDecodeTree trees[4];
};

// Decodes the bit stream of a compressed chunk (data, size bytes) into
// soundBytes bytes at dest. False when the stream is damaged, does not
// match the format, or soundBytes is not whole frames.
bool decodeStream(const uint8_t* data, size_t size, uint32_t soundBytes, const Format& format, uint8_t* dest,
                  DecodeWork& work);

// Reads a whole chunk (at most `available` bytes) into dest, which holds
// capacity bytes. Returns the PCM byte count; 0 for a damaged chunk or one
// larger than capacity. A compressed chunk whose count field is 0 or
// 0xFFFFFFFF returns that value (as 0 or -1) without decoding.
int32_t readChunk(const uint8_t* chunk, size_t available, bool compressed, const Format& format, uint8_t* dest,
                  uint32_t capacity, DecodeWork& work);

}  // namespace soundchunk
TOL_NS_END
