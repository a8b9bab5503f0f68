// Whole still-image files between disk and memory, through the buffered file
// code.
#include <algorithm>

#include "fileio/tolfile.h"
#include "media/still_codecs.h"

TOL_NS_BEGIN

bool readFileStart(const char* name, size_t limit, std::vector<uint8_t>& bytes) {
  bytes.clear();
  TOLFile* f = TOLFileOpen(0, name, TOLFILE_READ_ONLY);
  if (!f) return false;
  const size_t size = std::min<size_t>(TOLFileSize(f), limit);
  bool ok = true;
  try {
    bytes.resize(size);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (ok && size > 0) ok = TOLFileGetNB(f, bytes.data(), static_cast<uint32_t>(size)) == size;
  TOLFileClose(f);
  return ok;
}

bool writeWholeFile(const char* name, const std::vector<uint8_t>& bytes) {
  TOLFile* f = TOLFileCreate(0, name);
  if (!f) return false;
  bool ok = TOLFilePutNB(f, bytes.data(), static_cast<uint32_t>(bytes.size())) == bytes.size();
  TOLFileFlush(f);
  ok = ok && f->writeError == 0;
  TOLFileClose(f);
  if (!ok) TOLFileErase(name);
  return ok;
}

TOL_NS_END

TOL_NS_BEGIN

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
