#include "util/switches.h"

#include <climits>
#include <cstring>

#include "util/rates.h"
#include "util/text.h"

TOL_NS_BEGIN

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The first slash, from the left, that starts a switch with this letter and
// whose following bytes satisfy fits(pointer past the letter); null if none.
template <class Fits>
char* findSwitch(char* text, char letter, Fits fits) {
  if (!text || letter == 0) return nullptr;
  bool quoted = false;
  for (char* p = text; *p; ++p) {
    if (*p == '"') quoted = !quoted;
    if (*p != '/' || quoted || (p != text && !isBlank(p[-1]))) continue;
    // letter is not 0, so a match means p[1] is not the end of the text.
    if (upper(p[1]) == letter && fits(p + 2)) return p;
  }
  return nullptr;
}

// value * 10 + the digit, held at limit.
int64_t addDigit(int64_t value, char digit, int64_t limit) {
  int64_t next = value * 10 + (digit - '0');
  return next > limit ? limit : next;
}

bool startsNumber(const char* v) { return isDigit(v[0]) || (v[0] == '-' && isDigit(v[1])); }

// One number of a fraction: digits, then an optional "." and more digits
// that go into the numerator while the denominator counts tens. Digits that
// would leave the 32-bit range are read over: the integer part saturates, the
// fraction loses its last places.
void readDecimal(const char*& p, int64_t& num, int64_t& den) {
  num = 0;
  den = 1;
  for (; isDigit(*p); ++p) num = addDigit(num, *p, INT32_MAX);
  if (*p != '.') return;
  for (++p; isDigit(*p); ++p) {
    if (num * 10 + (*p - '0') > INT32_MAX || den * 10 > INT32_MAX) continue;
    num = num * 10 + (*p - '0');
    den *= 10;
  }
}

}  // namespace

int32_t GetSwitch(char* text, char letter) {
  char* at = findSwitch(text, letter, [](const char* v) { return static_cast<signed char>(*v) < '0'; });
  if (!at) return 0;
  moveDown(at, at + 2);
  return 1;
}

int32_t GetSwitchNum(char* text, char letter, int32_t defaultValue) {
  char* at = findSwitch(text, letter, startsNumber);
  if (!at) return defaultValue;
  const char* p = at + 2;
  bool negative = *p == '-';
  if (negative) ++p;
  int64_t v = 0;
  for (; isDigit(*p); ++p) v = addDigit(v, *p, INT32_MAX + 1ll);  // -2^31 is still reachable
  moveDown(at, p);
  if (negative) return static_cast<int32_t>(-v);
  return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

void GetSwitchFractional(char* text, char letter, int32_t* numerator, int32_t* denominator,
                         int32_t defaultNumerator, int32_t defaultDenominator) {
  char* at = findSwitch(text, letter, startsNumber);
  int32_t outNum = defaultNumerator, outDen = defaultDenominator;
  if (at) {
    const char* p = at + 2;
    bool negative = *p == '-';
    if (negative) ++p;
    int64_t num, den;
    readDecimal(p, num, den);
    reduceFraction(num, den);
    if (p[0] == ';' && isDigit(p[1])) {
      ++p;
      int64_t divNum, divDen;
      readDecimal(p, divNum, divDen);
      reduceFraction(divNum, divDen);
      num *= divDen;
      den *= divNum;
      reduceFraction(num, den);
      // A quotient of two 32-bit fractions may need up to 62 bits: keep the
      // leading bits of both parts.
      while (num > INT32_MAX || den > INT32_MAX) {
        num = (num + 1) >> 1;
        den = (den + 1) >> 1;
      }
      reduceFraction(num, den);
    }
    moveDown(at, p);
    outNum = static_cast<int32_t>(negative ? -num : num);
    outDen = den == 0 ? 1 : static_cast<int32_t>(den);
  }
  if (numerator) *numerator = outNum;
  if (denominator) *denominator = outDen;
}

int32_t GetSwitchStrN(char* text, char letter, char* dest, uint32_t destSize, const char* defaultValue) {
  char* at = findSwitch(text, letter, [](const char* v) { return *v != 0 && !isBlank(*v); });
  if (!at) {
    copyCut(dest, destSize, defaultValue ? defaultValue : "", defaultValue ? std::strlen(defaultValue) : 0);
    return kSwitchMissing;
  }
  const char* value = at + 2;
  const char* valueEnd;
  const char* pieceEnd;
  if (*value == '"') {
    ++value;
    const char* close = std::strchr(value, '"');
    valueEnd = close ? close : value + std::strlen(value);
    pieceEnd = close ? close + 1 : valueEnd;
  } else {
    valueEnd = value + 1;
    while (*valueEnd && !isBlank(*valueEnd) && *valueEnd != '/') ++valueEnd;
    pieceEnd = valueEnd;
  }
  bool whole = copyCut(dest, destSize, value, static_cast<size_t>(valueEnd - value));
  moveDown(at, pieceEnd);
  return whole ? kSwitchFound : kSwitchCut;
}

int32_t GetSwitchStr(char* text, char letter, char* dest, const char* defaultValue) {
  return GetSwitchStrN(text, letter, dest, kTextSize, defaultValue) != kSwitchMissing ? 1 : 0;
}

TOL_NS_END
