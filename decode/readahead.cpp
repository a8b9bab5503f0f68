#include "decode/readahead.h"

#include <algorithm>
#include <cstring>

TOL_NS_BEGIN

bool ZurnFrameSource::open(const char* name) {
  close();
  if (!name) return false;
  file_ = os::openExisting(name, false);
  ownsFile_ = true;
  base_ = 0;
  osPos_ = 0;
  return file_ != os::kInvalidFile;
}

bool ZurnFrameSource::attach(os::File handle) {
  close();
  if (handle == os::kInvalidFile) return false;
  int64_t pos = os::seek(handle, 0, 1);
  if (pos < 0) return false;
  file_ = handle;
  ownsFile_ = false;
  base_ = pos;
  osPos_ = 0;
  return true;
}

void ZurnFrameSource::moveFileFrom(ZurnFrameSource& other) {
  close();
  file_ = other.file_;
  ownsFile_ = other.ownsFile_;
  base_ = other.base_;
  osPos_ = other.osPos_;
  other.file_ = os::kInvalidFile;
  other.ownsFile_ = false;
}

void ZurnFrameSource::close() {
  if (file_ != os::kInvalidFile && ownsFile_) os::close(file_);
  file_ = os::kInvalidFile;
  ownsFile_ = false;
}

uint64_t ZurnFrameSource::fileSize() {
  if (!isOpen()) return 0;
  int64_t end = os::seek(file_, 0, 2);
  osPos_ = -1;
  return end > base_ ? static_cast<uint64_t>(end - base_) : 0;
}

uint32_t ZurnFrameSource::readAt(uint32_t offset, void* dest, uint32_t n) {
  if (n == 0 || !isOpen()) return 0;
  if (osPos_ != offset) {
    if (os::seek(file_, base_ + offset, 0) < 0) {
      osPos_ = -1;
      return 0;
    }
    osPos_ = offset;
  }
  int64_t got = os::read(file_, dest, n);
  if (got < 0) {
    osPos_ = -1;
    return 0;
  }
  osPos_ += got;
  return static_cast<uint32_t>(got);
}

uint32_t ZurnFrameSource::readDirect(uint32_t offset, void* dest, uint32_t n) {
  return readAt(offset, dest, n);
}

void ZurnFrameSource::setBuffer(uint8_t* ring, uint32_t size, uint32_t fileSize) {
  ring_ = ring;
  size_ = size / kChunk * kChunk;
  fileSize_ = fileSize;
  emptyAt(0);
  target_.store(std::min(size_, fileSize_), std::memory_order_relaxed);
}

void ZurnFrameSource::emptyAt(uint32_t offset) {
  readPos_ = writePos_ = 0;
  buffered_.store(0, std::memory_order_relaxed);
  free_ = size_;
  logical_ = nextRead_ = offset;
  fillStopped_ = false;
}

void ZurnFrameSource::consume(uint32_t n) {
  if (n == 0) return;
  readPos_ = static_cast<uint32_t>((static_cast<uint64_t>(readPos_) + n) % size_);
  buffered_.fetch_sub(n, std::memory_order_relaxed);
  free_ += n;
  logical_ += n;
}

void ZurnFrameSource::enterForeground() {
  busyAll_.fetch_add(1);
  while (busyFill_.load() != 0) os::yield();
}

uint32_t ZurnFrameSource::readFrame(uint32_t offset, void* dest, uint32_t n) {
  enterForeground();
  if (offset != logical_) {
    if (offset < logical_ || offset > nextRead_)
      emptyAt(offset);
    else
      consume(offset - logical_);
  }
  uint8_t* out = static_cast<uint8_t*>(dest);
  uint32_t got = std::min(n, buffered_.load(std::memory_order_relaxed));
  if (got > 0) {
    uint32_t first = std::min(got, size_ - readPos_);
    std::memcpy(out, ring_ + readPos_, first);
    std::memcpy(out + first, ring_, got - first);
    consume(got);
  }
  if (got < n) {
    // The ring is empty now, so the logical position is the next background
    // read offset: the rest comes straight from the file.
    uint32_t direct = readAt(nextRead_, out + got, n - got);
    got += direct;
    nextRead_ += direct;
    logical_ += direct;
  }
  uint32_t buffered = buffered_.load(std::memory_order_relaxed);
  uint32_t left = fileSize_ > logical_ ? fileSize_ - logical_ : 0;
  uint32_t target = std::min(size_, left);
  if (static_cast<uint64_t>(target) < static_cast<uint64_t>(buffered) + kChunk) target = buffered;
  target_.store(target, std::memory_order_relaxed);
  leaveForeground();
  return got;
}

int32_t ZurnFrameSource::fillStep() {
  busyAll_.fetch_add(1);
  busyFill_.fetch_add(1);
  int32_t result = -1;
  if (busyAll_.load() == 1 && busyFill_.load() == 1) {
    uint32_t left = fileSize_ > nextRead_ ? fileSize_ - nextRead_ : 0;
    result = 0;
    if (free_ >= kChunk && left >= kChunk && !fillStopped_) {
      reading_.store(true, std::memory_order_relaxed);
      uint32_t got = readAt(nextRead_, ring_ + writePos_, kChunk);
      reading_.store(false, std::memory_order_relaxed);
      if (got == kChunk) {
        writePos_ = writePos_ + kChunk == size_ ? 0 : writePos_ + kChunk;
        free_ -= kChunk;
        nextRead_ += kChunk;
        buffered_.fetch_add(kChunk, std::memory_order_relaxed);
        result = static_cast<int32_t>(kChunk);
      } else {
        fillStopped_ = true;  // the file ends early or cannot be read here
      }
    }
    if (result == 0) target_.store(buffered_.load(std::memory_order_relaxed), std::memory_order_relaxed);
  }
  busyFill_.fetch_sub(1);
  busyAll_.fetch_sub(1);
  if (result < 0) os::yield();
  return result;
}

TOL_NS_END
