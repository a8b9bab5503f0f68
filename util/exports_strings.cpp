// Exported switch, word and number helpers: thin wrappers over the library's
// own functions.
#include "tol/tolutil.h"
#include "util/numbers.h"
#include "util/rates.h"
#include "util/switches.h"
#include "util/text.h"

static_assert(TOL_TEXT_SIZE == tol::kTextSize);
static_assert(TOL_U32TOA_SIZE == tol::kU32toaSize && TOL_COMMANUM_SIZE == tol::kCommaNumSize &&
              TOL_ELAPSEDTIME_SIZE == tol::kElapsedTimeSize);

TOLAPI(int32_t) GetSwitch(char* text, char letter) { return tol::GetSwitch(text, letter); }
TOLAPI(int32_t) GetSwitchNum(char* text, char letter, int32_t defaultValue) {
  return tol::GetSwitchNum(text, letter, defaultValue);
}
TOLAPI(void) GetSwitchFractional(char* text, char letter, int32_t* numerator, int32_t* denominator,
                                 int32_t defaultNumerator, int32_t defaultDenominator) {
  tol::GetSwitchFractional(text, letter, numerator, denominator, defaultNumerator, defaultDenominator);
}
TOLAPI(int32_t) GetSwitchStrN(char* text, char letter, char* dest, uint32_t destSize, const char* defaultValue) {
  return tol::GetSwitchStrN(text, letter, dest, destSize, defaultValue);
}
TOLAPI(int32_t) GetSwitchStr(char* text, char letter, char* dest, const char* defaultValue) {
  return tol::GetSwitchStr(text, letter, dest, defaultValue);
}

TOLAPI(void) Trim(char* text) { tol::Trim(text); }
TOLAPI(void) TrimAscii(char* text) { tol::Trim(text); }
TOLAPI(void) TrimL(char* text) { tol::TrimL(text); }
TOLAPI(void) RemoveQuotes(char* text) { tol::RemoveQuotes(text); }
TOLAPI(uint32_t) GetAndRemoveFirstN(char* dest, uint32_t destSize, char* text) {
  return tol::GetAndRemoveFirstN(dest, destSize, text);
}
TOLAPI(uint32_t) GetAndRemoveFirstQuotedN(char* dest, uint32_t destSize, char* text) {
  return tol::GetAndRemoveFirstQuotedN(dest, destSize, text);
}
TOLAPI(void) GetAndRemoveFirst(char* dest, char* text) { tol::GetAndRemoveFirst(dest, text); }
TOLAPI(void) GetAndRemoveFirstQuoted(char* dest, char* text) { tol::GetAndRemoveFirstQuoted(dest, text); }
TOLAPI(char*) findchar(const char* text, char ch) { return tol::findchar(text, ch); }

TOLAPI(char*) u32toa(char* dest, uint32_t value) { return tol::u32toa(dest, value); }
TOLAPI(int32_t) atou32(const char* text) { return tol::atou32(text); }
TOLAPI(void) CommaNum(char* dest, uint32_t value) { tol::CommaNum(dest, value); }
TOLAPI(char*) GetElapsedTime(char* dest, uint32_t milliseconds) { return tol::GetElapsedTime(dest, milliseconds); }
TOLAPI(void) GCDNums(int32_t* a, int32_t* b) { tol::GCDNums(a, b); }
TOLAPI(int32_t) MakeFrameRate(int32_t rate) { return tol::MakeFrameRate(rate); }
