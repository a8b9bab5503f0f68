// The sixteen fixed prefix codes of the Zurn element streams. Each codes the
// sixteen symbol positions 0..15; code 0 is the plain 4-bit value.
//
// For reading, each code has a lookup array of 2^longest bytes indexed by the
// next `longest` bits (first bit read = least significant index bit); a byte
// holds the code word length in its high nibble and the position in its low
// nibble (BitReader::prefix). For writing, each position has its code word
// already in writing order (first bit to write = least significant bit).
#pragma once

#include <array>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

constexpr int kPrefixCodeCount = 16;

struct PrefixCode {
  uint8_t longest;      // length of the longest code word
  uint8_t length[16];   // code word length of each position
  uint16_t bits[16];    // code word of each position, first bit in bit 0
  uint8_t lookup[128];  // first 2^longest entries used
};

extern const std::array<PrefixCode, kPrefixCodeCount> kPrefixCodes;

TOL_NS_END
