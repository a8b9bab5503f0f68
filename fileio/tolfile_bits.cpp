// Bit-level reading and writing, least significant bit first.
//
// Reading: bitByte is the byte being consumed and bitCount the number of its
// bits already taken. Writing: bitByte holds the bitCount bits put so far
// (zeros above); the byte is written once it is complete. Whole bytes at a
// bit offset are shifted through that partial byte, so a field reads the same
// whether it is taken bit by bit or byte by byte.
#include <algorithm>

#include "fileio/tolfile_internal.h"

TOL_NS_BEGIN
namespace fileio {

uint32_t getLE(TOLFile* f, uint32_t n) {
  uint8_t b[4] = {0, 0, 0, 0};
  TOLFileGet(f, b, n);
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
         static_cast<uint32_t>(b[3]) << 24;
}

uint32_t putLE(TOLFile* f, uint32_t value, uint32_t n) {
  const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  TOLFilePut(f, b, n);
  return value;
}

}  // namespace fileio

using namespace fileio;

int32_t TOLFileBitPos(TOLFile* f) { return isOpen(f) ? f->bitCount : 0; }

void TOLFileByteAlign(TOLFile* f) {
  if (!isOpen(f) || f->bitCount == 0) return;
  f->bitCount = 0;
  if (f->mode == kTOLFileWriting) {
    const uint8_t last = static_cast<uint8_t>(f->bitByte);
    f->bitByte = 0;
    giveByte(f, last);
  }
}

uint32_t TOLFileGet(TOLFile* f, void* dest, uint32_t count) {
  uint32_t n = TOLFileGetNB(f, dest, count);
  const uint32_t b = n ? static_cast<uint32_t>(f->bitCount) : 0;
  if (b == 0) return n;
  uint8_t* d = static_cast<uint8_t*>(dest);
  uint32_t carry = (static_cast<uint32_t>(f->bitByte) & 0xFF) >> b;
  f->bitByte = d[n - 1];
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t in = d[i];
    d[i] = static_cast<uint8_t>(carry | in << (8 - b));
    carry = in >> b;
  }
  return n;
}

uint32_t TOLFilePut(TOLFile* f, const void* src, uint32_t count) {
  if (count == 0 || !src || !isOpen(f)) return 0;
  toWriting(f, true);
  const uint32_t b = static_cast<uint32_t>(f->bitCount);
  if (b == 0) return TOLFilePutNB(f, src, count);
  const uint8_t* s = static_cast<const uint8_t*>(src);
  uint8_t chunk[256];
  uint32_t total = 0;
  for (uint32_t done = 0; done < count;) {
    const uint32_t n = std::min<uint32_t>(sizeof chunk, count - done);
    uint32_t carry = static_cast<uint32_t>(f->bitByte);
    for (uint32_t i = 0; i < n; ++i) {
      const uint32_t v = static_cast<uint32_t>(s[done + i]) << b | carry;
      chunk[i] = static_cast<uint8_t>(v);
      carry = v >> 8;
    }
    f->bitByte = static_cast<int32_t>(carry);
    total += TOLFilePutNB(f, chunk, n);
    done += n;
  }
  return total;
}

uint32_t TOLFileGetBits(TOLFile* f, uint32_t n) {
  if (n == 0 || !isOpen(f)) return 0;
  toReading(f);
  n %= 32;
  if (n == 0) return TOLFileGet32(f);
  // Whole bytes first, then the 1 to 7 bits left.
  uint32_t result = 0;
  const uint32_t wholeBytes = n / 8;
  if (wholeBytes == 1) result = TOLFileGet8(f);
  if (wholeBytes == 2) result = TOLFileGet16(f);
  if (wholeBytes == 3) result = getLE(f, 3);
  const uint32_t k = n % 8;
  if (k == 0) return result;

  const uint32_t b = static_cast<uint32_t>(f->bitCount);
  const uint32_t left = (8 - b) % 8;  // unread bits of the partial byte
  uint32_t carry = b ? (static_cast<uint32_t>(f->bitByte) & 0xFF) >> b : 0;
  if (left < k) {
    uint8_t d = 0;
    takeByte(f, d);
    f->bitByte = d;
    carry |= static_cast<uint32_t>(d) << left;
  }
  f->bitCount = static_cast<int32_t>((b + k) % 8);  // 0 also when a byte is just used up
  return result | (carry & ((1u << k) - 1)) << (8 * wholeBytes);
}

uint32_t TOLFilePutBits(TOLFile* f, uint32_t value, uint32_t n) {
  if (n == 0 || !isOpen(f)) return 0;
  toWriting(f, true);
  n %= 32;
  if (n == 0) return TOLFilePut32(f, value);
  const uint32_t wholeBytes = n / 8;
  if (wholeBytes == 1) TOLFilePut8(f, value);
  if (wholeBytes == 2) TOLFilePut16(f, value);
  if (wholeBytes == 3) putLE(f, value, 3);
  const uint32_t k = n % 8;
  if (k == 0) return value;

  const uint32_t b = static_cast<uint32_t>(f->bitCount);
  const uint32_t v = (b ? static_cast<uint32_t>(f->bitByte) : 0) | ((value >> (8 * wholeBytes)) & ((1u << k) - 1)) << b;
  if (b + k < 8) {
    f->bitByte = static_cast<int32_t>(v);
    f->bitCount = static_cast<int32_t>(b + k);
  } else {
    giveByte(f, static_cast<uint8_t>(v));
    f->bitCount = static_cast<int32_t>((b + k) % 8);
    f->bitByte = static_cast<int32_t>((v >> 8) & 0xFF);
  }
  return value;
}

int32_t TOLFileAlign(TOLFile* f, uint32_t n) {
  if (!isOpen(f)) return -1;
  TOLFileByteAlign(f);
  const uint32_t p = TOLFileGetPos(f);
  if (n <= 1) return static_cast<int32_t>(p);  // every position is aligned (n = 0 taken as 1)
  const uint32_t r = p % n;
  if (r == 0) return static_cast<int32_t>(p / n);
  const uint64_t target = static_cast<uint64_t>(p) + n - r;
  const uint32_t size = TOLFileSize(f);
  if (target <= size) return static_cast<int32_t>(TOLFileSetPos(f, static_cast<uint32_t>(target)));
  if (target > 0xFFFFFFFFu) return 0;  // beyond what a 32-bit position reaches
  TOLFileSetPos(f, size);
  static const uint8_t zeros[256] = {};
  for (uint32_t left = static_cast<uint32_t>(target) - size; left > 0;) {
    const uint32_t step = std::min<uint32_t>(sizeof zeros, left);
    if (TOLFilePut(f, zeros, step) != step) break;
    left -= step;
  }
  return 0;
}

TOL_NS_END
