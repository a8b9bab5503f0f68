#include "util/text.h"

#include <cstring>

TOL_NS_BEGIN

bool copyCut(char* dest, uint32_t destSize, const char* src, size_t len) {
  if (!dest) return true;  // the caller does not want the text
  if (destSize == 0) return len == 0;
  size_t n = len < destSize ? len : destSize - 1;
  std::memmove(dest, src, n);
  dest[n] = 0;
  return n == len;
}

void moveDown(char* to, const char* from) { std::memmove(to, from, std::strlen(from) + 1); }

void TrimL(char* text) {
  if (!text) return;
  const char* p = text;
  while (isBlank(*p)) ++p;
  if (p != text) moveDown(text, p);
}

void TrimR(char* text) {
  if (!text) return;
  size_t n = std::strlen(text);
  while (n > 0 && isBlank(text[n - 1])) --n;
  text[n] = 0;
}

void Trim(char* text) {
  TrimR(text);
  TrimL(text);
}

void RemoveQuotes(char* text) {
  Trim(text);
  if (!text) return;
  size_t n = std::strlen(text);
  if (n >= 2 && text[0] == '"' && text[n - 1] == '"') {
    text[n - 1] = 0;
    moveDown(text, text + 1);
  }
}

namespace {

// The plain word: the bytes that are not blanks, the blanks after them and
// one comma. Copies it, trimmed, to dest and moves the rest of the text to
// its start. text is already trimmed at the left.
uint32_t cutPlainWord(char* dest, uint32_t destSize, char* text) {
  const char* end = text;
  while (*end && !isBlank(*end)) ++end;
  while (isBlank(*end)) ++end;
  if (*end == ',') ++end;
  size_t len = static_cast<size_t>(end - text);
  while (len > 0 && isBlank(text[len - 1])) --len;
  copyCut(dest, destSize, text, len);
  TrimR(dest);  // a cut may end on a blank
  moveDown(text, end);
  return static_cast<uint32_t>(len);
}

}  // namespace

uint32_t GetAndRemoveFirstN(char* dest, uint32_t destSize, char* text) {
  copyCut(dest, destSize, "", 0);
  if (!text) return 0;
  TrimL(text);
  uint32_t len = cutPlainWord(dest, destSize, text);
  TrimL(text);
  return len;
}

uint32_t GetAndRemoveFirstQuotedN(char* dest, uint32_t destSize, char* text) {
  copyCut(dest, destSize, "", 0);
  if (!text) return 0;
  TrimL(text);
  uint32_t len;
  if (text[0] != '"') {
    len = cutPlainWord(dest, destSize, text);
  } else if (const char* close = std::strchr(text + 1, '"')) {
    len = static_cast<uint32_t>(close - (text + 1));
    copyCut(dest, destSize, text + 1, len);
    moveDown(text, close + 1);
  } else {
    // An opening quote that is never closed takes the whole text with it.
    TrimR(text);
    len = static_cast<uint32_t>(std::strlen(text));
    copyCut(dest, destSize, text, len);
    text[0] = 0;
  }
  Trim(text);
  return len;
}

void GetAndRemoveFirst(char* dest, char* text) { GetAndRemoveFirstN(dest, kTextSize, text); }

void GetAndRemoveFirstQuoted(char* dest, char* text) { GetAndRemoveFirstQuotedN(dest, kTextSize, text); }

char* findchar(const char* text, char ch) {
  if (!text) return nullptr;
  for (const char* p = text; *p; ++p)
    if (*p == ch) return const_cast<char*>(p);
  return nullptr;
}

TOL_NS_END
