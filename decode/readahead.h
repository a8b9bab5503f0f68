// The frame source of a Zurn decoder: the open file and a read-ahead ring
// that a background thread fills in 4096-byte chunks ahead of the decoder.
//
// The ring holds the bytes of the file from the logical position (the next
// byte the decoder will ask for) up to the offset of the next background
// read; the decoder takes frames out of it, the fill step appends chunks.
// Two busy counters keep the two threads apart without a lock: every
// foreground access increments the first one and waits while a fill step is
// inside; the fill step increments both and works only when it finds itself
// alone, otherwise it gives up at once. So the file position and the ring
// pointers are never used by both threads at the same time.
//
// Adaptations: a passed-in file handle is a POSIX descriptor (os::File); the
// file is opened read-only with the sequential-scan hint (POSIX has no share
// modes, so the second attempt with shared writing does not exist); locked
// increments are std::atomic operations and Sleep(0) is a thread yield.
// Reads report how many bytes arrived, so callers detect short or failed
// reads instead of using stale bytes.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/libns.h"
#include "platform/os.h"

TOL_NS_BEGIN

class ZurnFrameSource {
 public:
  static constexpr uint32_t kChunk = 4096;

  ZurnFrameSource() = default;
  ZurnFrameSource(const ZurnFrameSource&) = delete;
  ZurnFrameSource& operator=(const ZurnFrameSource&) = delete;
  ~ZurnFrameSource() { close(); }

  // Opens a file by name for reading. False when it cannot be opened.
  bool open(const char* name);
  // Reads from a file handle that the caller keeps open; offsets count from
  // the handle's current position. False when the handle cannot seek.
  bool attach(os::File handle);
  // Takes over the file of another source (which is left closed).
  void moveFileFrom(ZurnFrameSource& other);
  // Closes the file unless it was passed in as a handle.
  void close();
  bool isOpen() const { return file_ != os::kInvalidFile; }

  // Bytes from the start of the file (the handle's position) to its end.
  uint64_t fileSize();

  // Reads n bytes at offset straight from the file, bypassing the ring.
  // Only before the background thread runs. Returns the bytes read.
  uint32_t readDirect(uint32_t offset, void* dest, uint32_t n);

  // Reads n bytes at offset through the ring (foreground). Returns the
  // bytes read; fewer than n when the file ends early or a read fails.
  uint32_t readFrame(uint32_t offset, void* dest, uint32_t n);

  static uint32_t roundSize(uint64_t n) {
    uint64_t r = (n + kChunk - 1) / kChunk * kChunk;
    return r > 0xFFFFF000u ? 0xFFFFF000u : static_cast<uint32_t>(r);
  }

  // Installs the ring (its size rounded down to whole chunks) and the size
  // of the file; the ring starts empty at offset 0.
  void setBuffer(uint8_t* ring, uint32_t size, uint32_t fileSize);

  // Reads one chunk ahead (background). Returns the bytes read, 0 when the
  // ring is full or less than a chunk of the file is left (or a read
  // failed), -1 when the foreground was inside.
  int32_t fillStep();

  // How full the ring is against its target, in percent (may exceed 100).
  uint32_t fillPercent() const {
    uint64_t buffered = buffered_.load(std::memory_order_relaxed);
    uint64_t target = target_.load(std::memory_order_relaxed);
    return static_cast<uint32_t>((buffered * 100 + 100) / (target + 1));
  }
  bool readInProgress() const { return reading_.load(std::memory_order_relaxed); }

  // Test hooks: the ring's state as the foreground sees it.
  uint32_t ringSize() const { return size_; }
  uint32_t buffered() const { return buffered_.load(std::memory_order_relaxed); }
  uint32_t target() const { return target_.load(std::memory_order_relaxed); }

 private:
  // Reads at an offset, seeking only when the OS file pointer is elsewhere.
  uint32_t readAt(uint32_t offset, void* dest, uint32_t n);
  void emptyAt(uint32_t offset);
  void consume(uint32_t n);

  void enterForeground();
  void leaveForeground() { busyAll_.fetch_sub(1); }

  os::File file_ = os::kInvalidFile;
  bool ownsFile_ = false;
  int64_t base_ = 0;     // file offset of the handle's position at attach
  int64_t osPos_ = -1;   // where the OS file pointer stands (relative), -1 unknown

  uint8_t* ring_ = nullptr;
  uint32_t size_ = 0;
  uint32_t readPos_ = 0;
  uint32_t writePos_ = 0;
  uint32_t free_ = 0;
  uint32_t logical_ = 0;    // offset of ring_[readPos_]
  uint32_t nextRead_ = 0;   // offset of the next background read
  uint32_t fileSize_ = 0;
  bool fillStopped_ = false;  // a read came up short; no read-ahead until the next jump
  std::atomic<uint32_t> buffered_{0};
  std::atomic<uint32_t> target_{0};
  std::atomic<bool> reading_{false};
  std::atomic<int32_t> busyAll_{0};   // every access, foreground and fill step
  std::atomic<int32_t> busyFill_{0};  // the fill step only
};

TOL_NS_END
