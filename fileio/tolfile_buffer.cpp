// The buffer of a file handle: byte-level reads and writes, the switch
// between reading and writing, positions and the file size.
//
// Reading: the buffer holds bufferEnd bytes that end at filePos (the OS file
// pointer); bufferPos is the next byte to deliver. Writing: the buffer holds
// bufferPos bytes that belong at filePos, and may fill up to bufferEnd.
#include <algorithm>
#include <cstring>

#include "fileio/tolfile_internal.h"
#include "platform/alloc.h"

TOL_NS_BEGIN
namespace fileio {

void makeBuffer(TOLFile* f) {
  if (f->buffer || f->bufferSize == 0) return;
  f->buffer = static_cast<uint8_t*>(tolmalloc(f->bufferSize));
  if (!f->buffer) f->bufferSize = f->bufferEnd = f->bufferPos = 0;
}

void seekOS(TOLFile* f, uint32_t pos) {
  if (pos == f->filePos) return;
  int64_t r = os::seek(f->osHandle, pos, 0);
  if (r < 0) r = os::seek(f->osHandle, 0, 1);  // keep filePos where the pointer really is
  if (r >= 0) f->filePos = static_cast<uint32_t>(r);
}

bool writeBuffer(TOLFile* f) {
  if (f->mode != kTOLFileWriting || f->bufferPos == 0) return false;
  int64_t written = os::write(f->osHandle, f->buffer, f->bufferPos);
  if (written < static_cast<int64_t>(f->bufferPos)) f->writeError = 1;
  if (written > 0) f->filePos += static_cast<uint32_t>(written);
  f->bufferPos = 0;
  return true;
}

bool writeOut(TOLFile* f) {
  TOLFileByteAlign(f);
  return writeBuffer(f);
}

void toReading(TOLFile* f) {
  if (f->mode == kTOLFileReading) return;
  uint32_t pos = TOLFileGetPos(f);
  writeOut(f);  // a partial byte goes out padded with zero bits; reading starts at it
  f->mode = kTOLFileReading;
  dropReadBuffer(f);
  seekOS(f, pos);
}

void toWriting(TOLFile* f, bool keepBits) {
  if (f->mode == kTOLFileWriting) return;
  uint32_t pos = TOLFileGetPos(f);  // the partly read byte, if any
  int32_t bits = keepBits ? f->bitCount : 0;
  f->mode = kTOLFileWriting;
  f->bufferPos = 0;
  f->bufferEnd = f->bufferSize;
  f->bitCount = bits;
  f->bitByte &= (1 << bits) - 1;  // the bits already read stay, zeros above
  seekOS(f, pos);
}

namespace {

void fetchSize(TOLFile* f) {
  if (f->size != kSizeUnknown) return;
  int64_t end = os::seek(f->osHandle, 0, 2);
  os::seek(f->osHandle, f->filePos, 0);
  // A file whose size cannot be found (a pipe) counts as empty, so that
  // loops reading until the end come to an end.
  f->size = end < 0 ? 0 : static_cast<uint32_t>(std::min<int64_t>(end, kSizeUnknown - 1));
}

}  // namespace
}  // namespace fileio

using namespace fileio;

uint32_t TOLFileGetNB(TOLFile* f, void* dest, uint32_t count) {
  if (count == 0 || !dest || !isOpen(f)) return 0;
  toReading(f);
  makeBuffer(f);
  uint8_t* out = static_cast<uint8_t*>(dest);
  uint32_t total = 0;
  for (;;) {
    uint32_t n = std::min(f->bufferEnd - f->bufferPos, count - total);
    if (n) std::memcpy(out + total, f->buffer + f->bufferPos, n);
    f->bufferPos += n;
    total += n;
    if (total == count) return total;
    if (count - total >= f->bufferEnd) break;  // as large as a fill: read it directly
    int64_t got = os::read(f->osHandle, f->buffer, f->bufferSize);
    f->bufferEnd = got > 0 ? static_cast<uint32_t>(got) : 0;
    f->filePos += f->bufferEnd;
    f->bufferPos = 0;
  }
  int64_t got = os::read(f->osHandle, out + total, count - total);
  if (got > 0) {
    f->filePos += static_cast<uint32_t>(got);
    total += static_cast<uint32_t>(got);
  }
  return total;
}

uint32_t TOLFilePutNB(TOLFile* f, const void* src, uint32_t count) {
  if (count == 0 || !src || !isOpen(f)) return 0;
  makeBuffer(f);
  toWriting(f, false);
  const uint8_t* in = static_cast<const uint8_t*>(src);
  uint32_t total = 0;
  do {
    uint32_t room = f->bufferEnd - f->bufferPos;
    if (room && (f->bufferPos > 0 || count - total <= room)) {
      uint32_t n = std::min(room, count - total);
      std::memcpy(f->buffer + f->bufferPos, in + total, n);
      f->bufferPos += n;
      total += n;
      if (total == count) return total;
    }
    writeBuffer(f);  // a partial byte being assembled stays where it is
  } while (count - total < f->bufferEnd);
  // A block at least as large as the buffer goes straight to the file.
  int64_t written = os::write(f->osHandle, in + total, count - total);
  if (written < static_cast<int64_t>(count - total)) f->writeError = 1;
  if (written > 0) {
    f->filePos += static_cast<uint32_t>(written);
    total += static_cast<uint32_t>(written);
  }
  return total;
}

void TOLFileFlush(TOLFile* f) {
  if (isOpen(f) && writeOut(f)) os::commit(f->osHandle);
}

uint32_t TOLFileGetPos(TOLFile* f) {
  if (!isOpen(f)) return 0;
  if (f->mode == kTOLFileWriting) return f->filePos + f->bufferPos;
  return f->filePos - f->bufferEnd + f->bufferPos - (f->bitCount != 0 ? 1 : 0);
}

uint32_t TOLFileSetPos(TOLFile* f, uint32_t pos) {
  if (!isOpen(f)) return 0;
  uint32_t old = TOLFileGetPos(f);
  if (old == pos) return old;
  if (f->size != kSizeUnknown && f->size < old) f->size = old;  // grown by writing
  if (f->mode == kTOLFileWriting) {
    writeOut(f);
  } else if (TOLFileIsInBuffer(f, pos)) {
    f->bufferPos = f->bufferEnd - (f->filePos - pos);
    f->bitCount = 0;
    return old;
  } else {
    dropReadBuffer(f);
  }
  seekOS(f, pos);
  f->bitCount = 0;
  return old;
}

int32_t TOLFileIsInBuffer(TOLFile* f, uint32_t pos) {
  return isOpen(f) && f->mode == kTOLFileReading && f->bufferPos < f->bufferEnd && pos < f->filePos &&
         f->filePos - pos <= f->bufferEnd;
}

uint32_t TOLFileSize(TOLFile* f) {
  if (!isOpen(f)) return 0;
  fetchSize(f);
  return std::max(f->size, TOLFileGetPos(f));
}

int32_t TOLFileAtEnd(TOLFile* f) {
  if (!isOpen(f)) return 1;
  fetchSize(f);
  return TOLFileGetPos(f) >= f->size;
}

TOL_NS_END
