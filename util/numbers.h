// Decimal numbers in and out of texts, and elapsed times in words.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// Buffer sizes that always suffice: "-2147483648", "4,294,967,295" and
// "59 minutes 59 seconds", each with its terminating zero.
constexpr uint32_t kU32toaSize = 12;
constexpr uint32_t kCommaNumSize = 14;
constexpr uint32_t kElapsedTimeSize = 24;

// Writes value as a signed 32-bit decimal number (values from 2^31 up get a
// minus sign); returns the terminating zero.
char* u32toa(char* dest, uint32_t value);
// The decimal value at the start of text after white space and an optional
// sign; digits beyond the 32-bit range wrap around modulo 2^32.
int32_t atou32(const char* text);
// value with a comma between groups of three digits ("1,234,567").
void CommaNum(char* dest, uint32_t value);
// "1 minute 1 second", "2 hours 1 minute", ...; returns dest.
char* GetElapsedTime(char* dest, uint32_t milliseconds);

TOL_NS_END
