// Byte sources for the AVI reader: a file viewed in memory, or else read
// through 64-bit positions (the buffered file I/O has 32-bit ones, and frames
// are read whole, so a buffer would only add a copy), or bytes in memory. The
// view lets uncompressed frames come out of the page cache at the speed of
// one memory copy.
#include <cstring>

#include "media/avi_internal.h"
#include "platform/os.h"

TOL_NS_BEGIN
namespace avi {
namespace {

class FileSource final : public ByteSource {
 public:
  explicit FileSource(os::File f) : file_(f) {
    int64_t end = os::seek(f, 0, 2);
    size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
    pos_ = size_;
    view_ = static_cast<const uint8_t*>(os::mapForReading(f, size_));
  }
  ~FileSource() override {
    os::unmap(view_, size_);
    os::close(file_);
  }

 protected:
  bool read(uint64_t pos, void* dest, size_t n) override {
    if (view_) {
      std::memcpy(dest, view_ + pos, n);
      return true;
    }
    if (pos != pos_ && os::seek(file_, static_cast<int64_t>(pos), 0) != static_cast<int64_t>(pos)) return false;
    pos_ = pos;
    auto* out = static_cast<uint8_t*>(dest);
    while (n > 0) {
      uint32_t part = n > 0x40000000 ? 0x40000000u : static_cast<uint32_t>(n);
      int64_t got = os::read(file_, out, part);
      if (got != part) {
        pos_ = ~uint64_t(0);  // unknown: seek before the next read
        return false;
      }
      out += part;
      n -= part;
      pos_ += part;
    }
    return true;
  }

 private:
  os::File file_;
  uint64_t pos_;
  const uint8_t* view_ = nullptr;
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)) { size_ = size; }

 protected:
  bool read(uint64_t pos, void* dest, size_t n) override {
    std::memcpy(dest, data_ + pos, n);
    return true;
  }

 private:
  const uint8_t* data_;
};

}  // namespace

std::unique_ptr<ByteSource> openFileSource(const char* name) {
  if (!name) return nullptr;
  os::File f = os::openExisting(name, false);
  if (f == os::kInvalidFile) return nullptr;
  return std::make_unique<FileSource>(f);
}

std::unique_ptr<ByteSource> memorySource(const void* data, size_t size) {
  if (!data && size) return nullptr;
  return std::make_unique<MemorySource>(data, size);
}

}  // namespace avi
TOL_NS_END
