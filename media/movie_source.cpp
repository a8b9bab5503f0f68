#include "media/movie_source.h"

#include <cstring>
#include <new>

TOL_NS_BEGIN

namespace {

class FileSource final : public MovieSource {
 public:
  FileSource(os::File file, uint64_t size) : file_(file) { size_ = size; }
  ~FileSource() override { os::close(file_); }

  bool read(uint64_t offset, void* dest, uint64_t count) override {
    if (offset > size_ || count > size_ - offset) return false;
    if (os::seek(file_, int64_t(offset), 0) != int64_t(offset)) return false;
    auto* out = static_cast<uint8_t*>(dest);
    while (count > 0) {
      const uint32_t piece = count > (1u << 30) ? (1u << 30) : uint32_t(count);
      if (os::read(file_, out, piece) != int64_t(piece)) return false;
      out += piece;
      count -= piece;
    }
    return true;
  }

 private:
  os::File file_;
};

class MemorySource final : public MovieSource {
 public:
  MemorySource(const uint8_t* bytes, uint64_t size) : bytes_(bytes) { size_ = size; }

  bool read(uint64_t offset, void* dest, uint64_t count) override {
    if (offset > size_ || count > size_ - offset) return false;
    if (count > 0) std::memcpy(dest, bytes_ + offset, size_t(count));
    return true;
  }

 private:
  const uint8_t* bytes_;
};

}  // namespace

std::unique_ptr<MovieSource> openMovieFile(const char* name) {
  if (!name) return nullptr;
  const os::File file = os::openExisting(name, false);
  if (file == os::kInvalidFile) return nullptr;
  const int64_t size = os::seek(file, 0, 2);
  if (size < 0) {
    os::close(file);
    return nullptr;
  }
  auto* source = new (std::nothrow) FileSource(file, uint64_t(size));
  if (!source) os::close(file);
  return std::unique_ptr<MovieSource>(source);
}

std::unique_ptr<MovieSource> movieInMemory(const uint8_t* bytes, uint64_t size) {
  return std::unique_ptr<MovieSource>(new (std::nothrow) MemorySource(bytes, size));
}

TOL_NS_END
