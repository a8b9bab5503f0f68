// Opening, creating and closing file handles; names, times, erase and rename.
#include <cstring>

#include "fileio/tolfile_internal.h"
#include "platform/alloc.h"

TOL_NS_BEGIN
namespace {

using fileio::isOpen;

// A closed record for name, or null when the name does not fit the record
// (names are refused rather than cut, so no other file is ever opened) or
// memory is short. The magnitude of bufferSize is the buffer capacity.
TOLFile* newRecord(int32_t bufferSize, const char* name) {
  if (!name || strnlen(name, TOLFILE_NAME_SIZE) == TOLFILE_NAME_SIZE) return nullptr;
  auto* f = static_cast<TOLFile*>(tolmalloc(sizeof(TOLFile)));
  if (!f) return nullptr;
  std::memset(f, 0, sizeof *f);
  f->osHandle = os::kInvalidFile;
  std::strcpy(f->name, name);
  f->bufferSize = bufferSize < 0 ? 0u - static_cast<uint32_t>(bufferSize) : static_cast<uint32_t>(bufferSize);
  f->size = fileio::kSizeUnknown;
  return f;
}

TOLFile* adopt(TOLFile* f, os::File h) {
  if (h == os::kInvalidFile) {
    tolfree(f);
    return nullptr;
  }
  f->osHandle = h;
  return f;
}

}  // namespace

TOLFile* TOLFileOpen(int32_t bufferSize, const char* name, int32_t openMode) {
  if (openMode != TOLFILE_READ_ONLY && openMode != TOLFILE_READ_WRITE) return nullptr;
  TOLFile* f = newRecord(bufferSize, name);
  if (!f) return nullptr;
  f->mode = kTOLFileReading;
  fileio::dropReadBuffer(f);  // empty: the first read fills it
  return adopt(f, os::openExisting(name, openMode == TOLFILE_READ_WRITE));
}

TOLFile* TOLFileCreate(int32_t bufferSize, const char* name) {
  TOLFile* f = newRecord(bufferSize, name);
  if (!f) return nullptr;
  f->mode = kTOLFileWriting;
  f->bufferEnd = f->bufferSize;
  return adopt(f, os::create(name));
}

TOLFile* TOLFileCreateWithRead(int32_t bufferSize, const char* name) { return TOLFileCreate(bufferSize, name); }

void TOLFileClose(TOLFile* f) {
  if (!f) return;
  if (isOpen(f)) {
    TOLFileFlush(f);
    os::close(f->osHandle);
    f->osHandle = os::kInvalidFile;
  }
  tolfree(f->buffer);
  tolfree(f);
}

const char* TOLFileGetName(TOLFile* f, char* dest) {
  if (!isOpen(f)) return nullptr;
  if (dest) std::memcpy(dest, f->name, std::strlen(f->name) + 1);
  return f->name;
}

uint32_t TOLFileGetTime(TOLFile* f) {
  return isOpen(f) ? static_cast<uint32_t>(os::fileTime(f->osHandle) >> 32) : 0;
}

void TOLFileSetTime(TOLFile* f, uint32_t time) {
  if (!isOpen(f)) return;
  TOLFileFlush(f);  // later writes would move the time again
  os::setFileTime(f->osHandle, static_cast<uint64_t>(time) << 32);
}

int32_t TOLFileErase(const char* name) { return os::erase(name); }

int32_t TOLFileRename(const char* newName, const char* oldName) { return os::rename(newName, oldName); }

TOL_NS_END
