// Checks a written Zurn file by decoding it: every frame's picture and, when
// there is one, the first sound track.
#pragma once

#include <cstdint>
#include <string>

namespace zurntool {

struct Expected {
  int width = 0, height = 0;  // as the decoder shows them (line doubling doubles the height)
  uint32_t frames = 0;
  bool sound = false;
};

struct Verified {
  uint32_t frames = 0;        // frames whose picture decoded
  double soundSeconds = 0;    // sound decoded from the first track
};

// false with a message when the file does not open, its header does not
// match, or a frame does not decode.
bool verifyZurnFile(const std::string& path, const Expected& expected, Verified& result, std::string& error);

}  // namespace zurntool
