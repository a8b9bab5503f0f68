// Input: byte 0 chooses the switch letter, byte 1 the size of the
// destination buffer, the rest (up to a zero byte) is the command-line text.
// Every buffer is a heap block of exactly its size, so the sanitizer sees any
// access beyond it. Each function must leave its text terminated and no
// longer than before, change it only as documented, and stay inside dest.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>

#include "util/switches.h"
#include "util/text.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// A heap block of exactly `size` bytes (none for size 0), holding a
// terminated text.
struct Block {
  explicit Block(const std::string& s) : Block(static_cast<uint32_t>(s.size() + 1)) {
    std::memcpy(bytes.get(), s.c_str(), size);
  }
  explicit Block(uint32_t n) : size(n), bytes(n ? new char[n] : nullptr) {
    if (n) std::memset(bytes.get(), 'x', n);
  }
  // The text it holds: still terminated inside the block.
  std::string text() const {
    size_t n = strnlen(bytes.get(), size);
    check(n < size);
    return std::string(bytes.get(), n);
  }
  uint32_t size;
  std::unique_ptr<char[]> bytes;
};

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// What each parser accepts after the letter (v points into a terminated text).
bool flagFits(const char* v) { return static_cast<signed char>(*v) < '0'; }
bool numberFits(const char* v) { return tol::isDigit(v[0]) || (v[0] == '-' && tol::isDigit(v[1])); }
bool stringFits(const char* v) { return *v != 0 && !tol::isBlank(*v); }

// A switch with this letter starts at `at`: a word start outside quotes,
// and the bytes after the letter fit.
bool startsSwitch(const std::string& text, size_t at, char letter, bool (*fits)(const char*)) {
  if (text[at] != '/' || at + 1 >= text.size() || upper(text[at + 1]) != letter) return false;
  if (at > 0 && !tol::isBlank(text[at - 1])) return false;
  if (std::count(text.begin(), text.begin() + static_cast<long>(at), '"') % 2 != 0) return false;
  return fits(text.c_str() + at + 2);
}

// after is before with one stretch removed, and that stretch is a switch
// with this letter (see startsSwitch). Returns the stretch ("" when the text
// is unchanged).
std::string removedSwitch(const std::string& before, const std::string& after, char letter,
                          bool (*fits)(const char*)) {
  if (before == after) return "";
  check(after.size() < before.size());
  size_t removed = before.size() - after.size();
  check(removed >= 2);
  size_t end = 0;  // the stretch starts at or before the first difference
  while (end < after.size() && before[end] == after[end]) ++end;
  check(before.compare(end + removed, std::string::npos, after, end, std::string::npos) == 0);
  // Where bytes repeat, any start from `start` to `end` gives the same
  // result; the parser took the leftmost switch among them.
  size_t start = end;
  while (start > 0 && before[start - 1] == before[start - 1 + removed]) --start;
  size_t at = start;
  while (at <= end && !startsSwitch(before, at, letter, fits)) ++at;
  check(at <= end);
  return before.substr(at, removed);
}

void fuzzFlag(const std::string& text, char letter) {
  Block t(text);
  int32_t r = tol::GetSwitch(t.bytes.get(), letter);
  std::string piece = removedSwitch(text, t.text(), letter, flagFits);
  check(r == (piece.empty() ? 0 : 1));
  check(piece.empty() || piece.size() == 2);
}

void fuzzNum(const std::string& text, char letter) {
  Block t(text);
  int32_t r = tol::GetSwitchNum(t.bytes.get(), letter, 12345);
  std::string piece = removedSwitch(text, t.text(), letter, numberFits);
  if (piece.empty()) {
    check(r == 12345);
    return;
  }
  // '/X', an optional '-', then only digits; the value is their decimal
  // reading held to 32 bits.
  std::string digits = piece.substr(piece[2] == '-' ? 3 : 2);
  check(!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos);
  long long v = std::strtoll(piece.c_str() + 2, nullptr, 10);
  check(r == static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX)));
}

void fuzzFractional(const std::string& text, char letter) {
  Block t(text);
  int32_t n = 0, d = 0;
  tol::GetSwitchFractional(t.bytes.get(), letter, &n, &d, -3, 7);
  std::string piece = removedSwitch(text, t.text(), letter, numberFits);
  if (piece.empty()) {
    check(n == -3 && d == 7);
    return;
  }
  check(piece.find_first_not_of("0123456789.;-", 2) == std::string::npos);
  check(d >= 1);
  if (n != 0) check(std::gcd(n == INT32_MIN ? 1 : std::abs(n), d) == 1);
}

void fuzzStr(const std::string& text, char letter, uint32_t destSize) {
  Block t(text);
  Block dest(destSize);
  int32_t r = tol::GetSwitchStrN(t.bytes.get(), letter, dest.bytes.get(), destSize, "default");
  std::string piece = removedSwitch(text, t.text(), letter, stringFits);
  std::string expected = "default";
  if (piece.empty()) {
    check(r == tol::kSwitchMissing);
  } else {
    check(piece.size() > 2);
    if (piece[2] == '"') {
      bool closed = piece.size() > 3 && piece.back() == '"';
      expected = piece.substr(3, piece.size() - 3 - (closed ? 1 : 0));
      check(expected.find('"') == std::string::npos);
    } else {
      expected = piece.substr(2);
      check(!tol::isBlank(expected[0]));
      for (size_t i = 1; i < expected.size(); ++i) check(!tol::isBlank(expected[i]) && expected[i] != '/');
    }
    bool whole = destSize == 0 || expected.size() < destSize;  // size 0: no dest at all
    check(r == (whole ? tol::kSwitchFound : tol::kSwitchCut));
  }
  if (destSize) check(dest.text() == expected.substr(0, destSize - 1));
}

template <class F>
void fuzzWord(F cutWord, const std::string& text, uint32_t destSize, bool restTrimmedRight) {
  Block t(text);
  Block dest(destSize);
  uint32_t len = cutWord(dest.bytes.get(), destSize, t.bytes.get());
  std::string rest = t.text();
  check(rest.size() + len <= text.size());
  check(rest.empty() || !tol::isBlank(rest.front()));
  if (restTrimmedRight) check(rest.empty() || !tol::isBlank(rest.back()));
  if (destSize) {
    std::string word = dest.text();
    check(word.size() <= len);
    if (len < destSize) check(word.size() == len);
    check(text.find(word) != std::string::npos);
  }
}

void fuzzTrim(const std::string& text) {
  Block t(text);
  tol::Trim(t.bytes.get());
  std::string out = t.text();
  check(out.empty() || (!tol::isBlank(out.front()) && !tol::isBlank(out.back())));
  size_t lead = 0;
  while (lead < text.size() && tol::isBlank(text[lead])) ++lead;
  check(text.compare(std::min(lead, text.size()), out.size(), out) == 0);

  Block q(text);
  tol::RemoveQuotes(q.bytes.get());
  std::string unquoted = q.text();
  check(unquoted == out || (out.size() >= 2 && unquoted == out.substr(1, out.size() - 2)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const char kLetters[] = "PDFOSEL#&$";
  char letter = data[0] < 200 ? kLetters[data[0] % 10] : static_cast<char>(data[0]);
  uint32_t destSize = data[1] % 48;
  std::string text(reinterpret_cast<const char*>(data + 2), strnlen(reinterpret_cast<const char*>(data + 2), size - 2));

  fuzzFlag(text, letter);
  fuzzNum(text, letter);
  fuzzFractional(text, letter);
  fuzzStr(text, letter, destSize);
  fuzzWord(tol::GetAndRemoveFirstN, text, destSize, false);
  fuzzWord(tol::GetAndRemoveFirstQuotedN, text, destSize, true);
  fuzzTrim(text);
  return 0;
}
