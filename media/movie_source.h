// The bytes a movie is read from: a file, or a block in memory (tests and
// the fuzz target). Reads are positioned and all-or-nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/libns.h"
#include "platform/os.h"

TOL_NS_BEGIN

class MovieSource {
 public:
  virtual ~MovieSource() = default;
  uint64_t size() const { return size_; }
  // True when all count bytes at offset were read into dest.
  virtual bool read(uint64_t offset, void* dest, uint64_t count) = 0;

 protected:
  uint64_t size_ = 0;
};

// Null when the file cannot be opened.
std::unique_ptr<MovieSource> openMovieFile(const char* name);
// The bytes are not copied and must outlive the source.
std::unique_ptr<MovieSource> movieInMemory(const uint8_t* bytes, uint64_t size);

TOL_NS_END
