// Box syntax of QuickTime and MP4 files: big-endian fields, boxes of a size
// (32-bit, 64-bit after size 1, or "to the end" for 0) and a four-character
// type, nested in containers. Everything here stays inside the bytes given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/movie_source.h"
#include "platform/libns.h"

TOL_NS_BEGIN

constexpr uint32_t fourcc(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 |
         uint32_t(uint8_t(s[3]));
}

inline uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
inline uint64_t be64(const uint8_t* p) { return uint64_t(be32(p)) << 32 | be32(p + 4); }

// A bounded run of bytes with checked big-endian reads at offsets.
struct ByteView {
  const uint8_t* data = nullptr;
  size_t size = 0;

  bool has(size_t offset, size_t count) const { return offset <= size && count <= size - offset; }
  // The reads return 0 when the field does not lie inside the view.
  uint16_t u16(size_t offset) const { return has(offset, 2) ? be16(data + offset) : 0; }
  uint32_t u32(size_t offset) const { return has(offset, 4) ? be32(data + offset) : 0; }
  uint64_t u64(size_t offset) const { return has(offset, 8) ? be64(data + offset) : 0; }
  ByteView from(size_t offset) const { return has(offset, 0) ? ByteView{data + offset, size - offset} : ByteView{}; }
};

struct Box {
  uint32_t type = 0;
  ByteView body;
};

// Walks the boxes that fill a container's body, in order. A box whose size
// runs past the container, or is smaller than its header, ends the walk.
class BoxWalker {
 public:
  explicit BoxWalker(ByteView body) : rest_(body) {}
  bool next(Box& box);

 private:
  ByteView rest_;
};

// The first child box of the given type; false when there is none.
bool findChild(ByteView body, uint32_t type, Box& found);
// Follows a path of child types, e.g. {mdia, minf, stbl}.
bool findPath(ByteView body, const std::vector<uint32_t>& path, Box& found);

// Reads the body of the file's first top-level 'moov' box into moov. False
// when the file has none within its first boxes, or it is larger than the
// file or the limit that a movie header may reach.
bool loadMovieBox(MovieSource& source, std::vector<uint8_t>& moov);

TOL_NS_END
