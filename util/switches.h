// Command-line switches: a slash, a letter and a value glued on ("/D250000",
// "/F29.97", "/O\"name with blanks\""). Each parser finds its switch, cuts it
// out of the text and returns the value; a missing switch gives the default
// and leaves the text as it was.
//
// A slash starts a switch only at the start of the text or after a blank,
// and never inside double quotes, so that path names ("clips/a.avi",
// "\"/home/me/b.avi\"") are never taken apart. The letter of the text is
// compared after conversion to upper case (ASCII); callers pass upper case.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// '/X' followed by a byte below '0' read signed (end, blank, slash,
// punctuation). Removes the two bytes; 1 if found.
int32_t GetSwitch(char* text, char letter);
// '/X' followed by a digit or by '-' and a digit: the signed decimal value
// (held to the 32-bit range), or defaultValue.
int32_t GetSwitchNum(char* text, char letter, int32_t defaultValue);
// '/X' with a fraction: digits, an optional "." part, an optional ";" and a
// second such number that divides the first ("30;1.001" = 30000/1001).
// Stores the reduced fraction (denominator never 0), or the defaults.
// Values beyond the 32-bit range are approximated within it.
void GetSwitchFractional(char* text, char letter, int32_t* numerator, int32_t* denominator,
                         int32_t defaultNumerator, int32_t defaultDenominator);

// GetSwitchStrN results.
constexpr int32_t kSwitchMissing = 0;
constexpr int32_t kSwitchFound = 1;
constexpr int32_t kSwitchCut = 2;  // found, but the value did not fit dest

// '/X' followed by a value that does not start with a blank: a text in
// double quotes (to the closing quote or the end), or the bytes up to the
// next blank or slash. Copies the value (else defaultValue) to dest, cut to
// destSize - 1 bytes.
int32_t GetSwitchStrN(char* text, char letter, char* dest, uint32_t destSize, const char* defaultValue);
// As GetSwitchStrN with a dest of kTextSize bytes; 1 found, 0 not.
int32_t GetSwitchStr(char* text, char letter, char* dest, const char* defaultValue);

TOL_NS_END
