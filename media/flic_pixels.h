// FLIC pixel kernels: decoding and encoding of the full-frame and delta
// encodings of an 8-bit picture. The chunk syntax around them (frame and
// chunk headers, palettes) lives in the reader and the writer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

namespace flic {

// The picture a chunk draws into. Rows are pitch bytes apart; nothing is
// written outside width x height.
struct Picture {
  uint8_t* pixels;
  uint32_t pitch;
  uint32_t width;
  uint32_t height;
};

// Decoders: each reads at most `size` bytes of `data` and draws what they
// describe; pixels the data places outside the picture are dropped, and data
// that ends early leaves the rest of the picture as it was.
void decodeBlack(const Picture& picture);
void decodeCopy(const uint8_t* data, size_t size, const Picture& picture);
void decodeByteRun(const uint8_t* data, size_t size, const Picture& picture);
void decodeByteDelta(const uint8_t* data, size_t size, const Picture& picture);
void decodeWordDelta(const uint8_t* data, size_t size, const Picture& picture);

// Encoders of a packed frame (width x height bytes), the deltas against the
// previous frame. Each writes into out and returns the number of bytes,
// which is below `limit`; 0 means the encoding would reach `limit` and was
// abandoned (out then holds garbage). out must hold `limit` bytes.
uint32_t encodeByteRun(const uint8_t* frame, uint32_t width, uint32_t height, uint8_t* out, uint32_t limit);
uint32_t encodeByteDelta(const uint8_t* frame, const uint8_t* previous, uint32_t width, uint32_t height,
                         uint8_t* out, uint32_t limit);
// Width must be even.
uint32_t encodeWordDelta(const uint8_t* frame, const uint8_t* previous, uint32_t width, uint32_t height,
                         uint8_t* out, uint32_t limit);

}  // namespace flic

TOL_NS_END
