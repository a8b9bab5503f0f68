// The streaming source of a Pleven decoder: the file and a read-ahead
// buffer filled in whole 4096-byte units of the file.
//
// The buffer holds the file's bytes from the read position to the fill
// position. A frame inside them is taken from the buffer; any other moves
// the file there and refills the buffer up to the next 4096-byte boundary.
// A frame larger than what the buffer holds is read straight into the
// caller's memory in pieces of at most 16 KB (whole units) while more than
// one unit is missing; the rest comes through a refill. Offsets count from
// where the source starts (a passed-in handle's position at open).
//
// The buffer keeps its bytes at its start (the unread part moves down before
// a refill) rather than wrapping round: the same reads reach the file, with
// simpler bookkeeping.
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "platform/os.h"

TOL_NS_BEGIN
namespace pleven {

class ReadAhead {
 public:
  static constexpr uint32_t kUnit = 4096;
  static constexpr uint32_t kDirectPiece = 16384;

  // buffer: capacity bytes (a multiple of kUnit, owned by the caller);
  // fileEnd: offset of the end of the file's data.
  void init(os::File file, int64_t base, uint8_t* buffer, uint32_t capacity, uint64_t fileEnd);

  // Positions at offset and fills to the next unit boundary (open).
  bool start(uint64_t offset);
  // Copies size bytes from offset into dest. False on a short read.
  bool take(uint64_t offset, uint32_t size, uint8_t* dest);
  // Reads until the buffer is full (or the file ends).
  bool fillAll();

  uint32_t bytesRead() const { return bytesRead_; }
  uint32_t readMilliseconds() const { return readMs_; }

 private:
  bool seekTo(uint64_t offset);
  // Appends up to `wanted` bytes (0: as many as fit), ending on a unit
  // boundary where the room allows.
  bool refill(uint32_t wanted);
  // Bytes that arrived.
  uint32_t readFile(uint8_t* dest, uint32_t count);

  os::File file_ = os::kInvalidFile;
  int64_t base_ = 0;
  uint8_t* buffer_ = nullptr;
  uint32_t capacity_ = 0;
  uint64_t fileEnd_ = 0;
  uint64_t bufferOffset_ = 0;  // file offset of buffer_[0]
  uint32_t readPos_ = 0;       // next unread byte
  uint32_t fillPos_ = 0;       // end of the bytes held
  uint32_t bytesRead_ = 0;
  uint32_t readMs_ = 0;
};

}  // namespace pleven
TOL_NS_END
