#include "media/movie_boxes.h"

#include <new>

TOL_NS_BEGIN

namespace {

// A movie box holds only tables; larger ones are taken for damage.
constexpr uint64_t kMaxMovieBox = 256u << 20;
// Top-level boxes looked at before giving up on finding the movie box.
constexpr int kMaxTopLevelBoxes = 4096;

}  // namespace

bool BoxWalker::next(Box& box) {
  if (rest_.size < 8) return false;
  uint64_t size = rest_.u32(0);
  size_t header = 8;
  if (size == 1) {
    if (!rest_.has(8, 8)) return false;
    size = rest_.u64(8);
    header = 16;
  } else if (size == 0) {
    size = rest_.size;
  }
  if (size < header || size > rest_.size) {
    rest_ = ByteView{};
    return false;
  }
  box.type = rest_.u32(4);
  box.body = ByteView{rest_.data + header, size_t(size) - header};
  rest_ = rest_.from(size_t(size));
  return true;
}

bool findChild(ByteView body, uint32_t type, Box& found) {
  BoxWalker walker(body);
  Box box;
  while (walker.next(box)) {
    if (box.type == type) {
      found = box;
      return true;
    }
  }
  return false;
}

bool findPath(ByteView body, const std::vector<uint32_t>& path, Box& found) {
  Box box{0, body};
  for (uint32_t type : path)
    if (!findChild(box.body, type, box)) return false;
  found = box;
  return true;
}

bool loadMovieBox(MovieSource& source, std::vector<uint8_t>& moov) {
  const uint64_t fileSize = source.size();
  uint64_t pos = 0;
  for (int n = 0; n < kMaxTopLevelBoxes && fileSize - pos >= 8; ++n) {
    uint8_t h[16];
    const bool large = fileSize - pos >= 16;
    if (!source.read(pos, h, large ? 16 : 8)) return false;
    uint64_t size = be32(h);
    uint64_t header = 8;
    if (size == 1) {
      if (!large) return false;
      size = be64(h + 8);
      header = 16;
    } else if (size == 0) {
      size = fileSize - pos;
    }
    if (size < header || size > fileSize - pos) return false;
    if (be32(h + 4) == fourcc("moov")) {
      const uint64_t bodySize = size - header;
      if (bodySize > kMaxMovieBox) return false;
      try {
        moov.resize(size_t(bodySize));
      } catch (const std::bad_alloc&) {
        return false;
      }
      return source.read(pos + header, moov.data(), bodySize);
    }
    pos += size;
  }
  return false;
}

TOL_NS_END
