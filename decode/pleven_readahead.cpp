#include "decode/pleven_readahead.h"

#include <algorithm>
#include <cstring>

TOL_NS_BEGIN
namespace pleven {

void ReadAhead::init(os::File file, int64_t base, uint8_t* buffer, uint32_t capacity, uint64_t fileEnd) {
  file_ = file;
  base_ = base;
  buffer_ = buffer;
  capacity_ = capacity;
  fileEnd_ = fileEnd;
}

uint32_t ReadAhead::readFile(uint8_t* dest, uint32_t count) {
  const uint32_t t0 = os::milliseconds();
  const int64_t got = os::read(file_, dest, count);
  readMs_ += os::milliseconds() - t0;
  if (got <= 0) return 0;
  bytesRead_ += static_cast<uint32_t>(got);
  return static_cast<uint32_t>(got);
}

bool ReadAhead::seekTo(uint64_t offset) {
  bufferOffset_ = offset;
  readPos_ = fillPos_ = 0;
  return os::seek(file_, base_ + static_cast<int64_t>(offset), 0) == base_ + static_cast<int64_t>(offset);
}

bool ReadAhead::start(uint64_t offset) {
  if (!seekTo(offset)) return false;
  const uint32_t toBoundary = static_cast<uint32_t>((kUnit - offset % kUnit) % kUnit);
  return toBoundary == 0 || refill(toBoundary);
}

bool ReadAhead::refill(uint32_t wanted) {
  if (readPos_ > 0) {
    std::memmove(buffer_, buffer_ + readPos_, fillPos_ - readPos_);
    bufferOffset_ += readPos_;
    fillPos_ -= readPos_;
    readPos_ = 0;
  }
  const uint64_t filePos = bufferOffset_ + fillPos_;
  uint32_t room = capacity_ - fillPos_;
  if (wanted && wanted < room) {
    room = wanted;
  } else {
    const uint32_t past = static_cast<uint32_t>((filePos + room) % kUnit);  // end on a unit boundary
    if (past < room) room -= past;
  }
  const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(room, fileEnd_ - std::min(fileEnd_, filePos)));
  const uint32_t got = count ? readFile(buffer_ + fillPos_, count) : 0;
  fillPos_ += got;
  return got == count;
}

bool ReadAhead::fillAll() { return refill(0); }

bool ReadAhead::take(uint64_t offset, uint32_t size, uint8_t* dest) {
  if (offset >= bufferOffset_ + readPos_ && offset < bufferOffset_ + fillPos_) {
    readPos_ = static_cast<uint32_t>(offset - bufferOffset_);
  } else if (!start(offset)) {
    return false;
  }
  for (;;) {
    const uint32_t n = std::min(size, fillPos_ - readPos_);
    std::memcpy(dest, buffer_ + readPos_, n);
    readPos_ += n;
    dest += n;
    size -= n;
    if (size == 0) return true;
    // The buffer is used up; large remainders bypass it.
    while (size > kUnit) {
      const uint32_t piece = std::min(kDirectPiece, size - size % kUnit);
      if (readFile(dest, piece) != piece) return false;
      dest += piece;
      size -= piece;
      bufferOffset_ += fillPos_ + piece;
      readPos_ = fillPos_ = 0;
    }
    refill(0);
    if (fillPos_ - readPos_ < size) return false;  // the file ended or failed
  }
}

}  // namespace pleven
TOL_NS_END
