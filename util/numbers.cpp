#include "util/numbers.h"

TOL_NS_BEGIN

namespace {

// Digits of value, most significant first, into dest; returns the end.
char* writeDigits(char* dest, uint32_t value) {
  char rev[10];
  int n = 0;
  do {
    rev[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  while (n > 0) *dest++ = rev[--n];
  *dest = 0;
  return dest;
}

// "<n> <unit>" with the plural "s" unless n is 1.
char* writeCount(char* dest, uint32_t n, const char* unit) {
  char* p = writeDigits(dest, n);
  *p++ = ' ';
  while (*unit) *p++ = *unit++;
  if (n != 1) *p++ = 's';
  *p = 0;
  return p;
}

}  // namespace

char* u32toa(char* dest, uint32_t value) {
  if (!dest) return nullptr;
  if (value >= 0x80000000u) {
    *dest++ = '-';
    value = 0u - value;  // magnitude of the negative 32-bit number
  }
  return writeDigits(dest, value);
}

int32_t atou32(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  uint32_t v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) v = v * 10 + static_cast<uint32_t>(*p - '0');
  return static_cast<int32_t>(negative ? 0u - v : v);
}

void CommaNum(char* dest, uint32_t value) {
  if (!dest) return;
  char digits[11];
  char* end = writeDigits(digits, value);
  int count = static_cast<int>(end - digits);
  for (int i = 0; i < count; ++i) {
    if (i > 0 && (count - i) % 3 == 0) *dest++ = ',';
    *dest++ = digits[i];
  }
  *dest = 0;
}

char* GetElapsedTime(char* dest, uint32_t ms) {
  if (!dest) return nullptr;
  if (ms < 1000) {
    writeCount(dest, ms, "millisecond");
  } else if (ms < 60000) {
    writeCount(dest, ms / 1000, "second");
  } else if (ms < 3600000) {
    char* p = writeCount(dest, ms / 60000, "minute");
    *p++ = ' ';
    writeCount(p, ms % 60000 / 1000, "second");
  } else {
    char* p = writeCount(dest, ms / 3600000, "hour");
    *p++ = ' ';
    writeCount(p, ms % 3600000 / 60000, "minute");
  }
  return dest;
}

TOL_NS_END
