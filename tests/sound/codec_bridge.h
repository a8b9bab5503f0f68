// Bridges between the encoder library's sound coder and tolutil's sound
// decoder for tests: each side is compiled in its own library namespace
// (encode_bridge.cpp, decode_bridge.cpp), the tests see plain functions.
#pragma once

#include <cstdint>
#include <vector>

namespace soundtest {

// Codes all samples, block by block, into one packet (decoded size first).
std::vector<uint8_t> encodePacket(const std::vector<int16_t>& samples, uint32_t rate, uint32_t channels,
                                  uint32_t soundOption);
// Decodes consecutive packets of a track with one decoder, as 16-bit samples.
std::vector<int16_t> decodePackets(const std::vector<std::vector<uint8_t>>& packets, uint32_t rate,
                                   uint32_t channels);

}  // namespace soundtest
