// In-place text helpers: the blank test, trimming, quotes and the word
// splitter that takes file names off the front of a command line.
// Declared for the library's own use; tolutil exports them (include/tol/tolutil.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// Size assumed for a caller's name or text buffer where the call carries
// none: a full path of at most 255 characters and its terminating zero.
constexpr uint32_t kTextSize = 256;

// A blank is a byte that, read as a signed 8-bit number, is at most 32: the
// bytes 1 to 32 and every byte from 128 to 255. The terminating zero is not
// a blank, so a scan over blanks stops at the end of the text.
inline bool isBlank(char c) { return c != 0 && static_cast<signed char>(c) <= 32; }

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Copies len bytes of src, cut to destSize - 1, and terminates dest. Does
// nothing when dest is null or destSize is 0. Returns false when bytes were
// lost to the cut.
bool copyCut(char* dest, uint32_t destSize, const char* src, size_t len);

// Moves the text from `from` (through its terminating zero) down to `to`.
void moveDown(char* to, const char* from);

void Trim(char* text);
void TrimL(char* text);
void TrimR(char* text);
// Trims; then drops a double quote at both ends when the text has both.
void RemoveQuotes(char* text);

// Cut the first word off text into dest (at most destSize - 1 bytes; the
// word is removed from text in full either way). Return the length of the
// whole word, so dest holds all of it when the result is below destSize.
uint32_t GetAndRemoveFirstN(char* dest, uint32_t destSize, char* text);
uint32_t GetAndRemoveFirstQuotedN(char* dest, uint32_t destSize, char* text);
void GetAndRemoveFirst(char* dest, char* text);
void GetAndRemoveFirstQuoted(char* dest, char* text);

// First occurrence of ch (not 0) in text, or null.
char* findchar(const char* text, char ch);

TOL_NS_END
