// Whole still-image files between disk and memory, through the platform
// layer (so names are not held to the 127 bytes of the buffered file
// records), and the files the libraries write.
#include <algorithm>
#include <new>

#include "media/still_codecs.h"
#include "platform/os.h"

TOL_NS_BEGIN

bool readFileStart(const char* name, size_t limit, std::vector<uint8_t>& bytes) {
  bytes.clear();
  const os::File f = os::openExisting(name, false);
  if (f == os::kInvalidFile) return false;
  const int64_t end = os::seek(f, 0, 2);
  bool ok = end >= 0 && os::seek(f, 0, 0) == 0;
  if (ok) {
    const size_t size = std::min<size_t>(static_cast<size_t>(end), std::min<size_t>(limit, UINT32_MAX));
    try {
      bytes.resize(size);
    } catch (const std::bad_alloc&) {
      ok = false;
    }
    ok = ok && (size == 0 || os::read(f, bytes.data(), static_cast<uint32_t>(size)) == static_cast<int64_t>(size));
  }
  os::close(f);
  return ok;
}

bool writeWholeFile(const char* name, const std::vector<uint8_t>& bytes) {
  const os::File f = os::create(name);
  if (f == os::kInvalidFile) return false;
  const bool ok = bytes.size() <= UINT32_MAX &&
                  os::write(f, bytes.data(), static_cast<uint32_t>(bytes.size())) == static_cast<int64_t>(bytes.size());
  os::close(f);
  if (!ok) os::erase(name);
  return ok;
}

StillOutput::StillOutput(const char* name) : name_(name), file_(std::fopen(name, "wb")) {}

StillOutput::~StillOutput() {
  if (file_) std::fclose(file_);
  if (file_ && !finished_) std::remove(name_);
}

bool StillOutput::finish() {
  if (!file_) return false;
  const bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
  finished_ = std::fclose(file_) == 0 && ok;
  if (!finished_) std::remove(name_);
  file_ = nullptr;
  return finished_;
}

TOL_NS_END
