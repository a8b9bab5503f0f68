// Motion-JPEG frames through libjpeg-turbo: one JPEG picture per frame, or
// two half-height fields in one chunk. Frames without Huffman tables use the
// standard ones, as Motion-JPEG allows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/libns.h"

TOL_NS_BEGIN

class MjpegDecoder {
 public:
  MjpegDecoder();
  ~MjpegDecoder();
  MjpegDecoder(const MjpegDecoder&) = delete;
  MjpegDecoder& operator=(const MjpegDecoder&) = delete;

  // Builds the shared standard tables now (else on first use).
  static void prepare();

  // Decodes a chunk into a bottom-up 24-bit picture of width x height (rows
  // `stride` apart). A smaller picture is placed top left; a larger one is
  // cut when it passes the frame by no more than block padding, else refused.
  // Half-height pictures are fields: the second follows the first in the
  // chunk, and a chunk holding one field only has its lines doubled.
  // False when the data is not a JPEG picture this decoder handles.
  bool decode(const uint8_t* data, size_t size, uint8_t* pixels, size_t stride, uint32_t width, uint32_t height);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

TOL_NS_END
