// Motion-JPEG frames for the AVI writer: one baseline JPEG picture (with its
// tables) per DIB, through libjpeg-turbo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/libns.h"

TOL_NS_BEGIN

class MjpegEncoder {
 public:
  MjpegEncoder();
  ~MjpegEncoder();
  MjpegEncoder(const MjpegEncoder&) = delete;
  MjpegEncoder& operator=(const MjpegEncoder&) = delete;

  // Compresses a width x height DIB of 8 (with a blue, green, red, 0 table),
  // 24 or 32 bits, rows `stride` apart, bottom-up unless topDown. quality:
  // 1 to 100. The result stays valid until the next call; null on failure.
  const uint8_t* encode(const uint8_t* pixels, size_t stride, bool topDown, uint32_t bits, const uint8_t* table,
                        uint32_t width, uint32_t height, int quality, size_t* size);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

TOL_NS_END
