#include "util/paths.h"

#include <climits>
#include <cstring>

#include "platform/os.h"
#include "util/text.h"

TOL_NS_BEGIN

namespace {

// Room for any path the system hands out; results are checked against the
// caller's buffer before they are copied back.
constexpr size_t kLongPath = PATH_MAX;

// Copies src into dest when it fits in destSize bytes; else leaves dest.
bool copyWhole(char* dest, uint32_t destSize, const char* src) {
  size_t n = std::strlen(src);
  if (n >= destSize) return false;
  std::memmove(dest, src, n + 1);
  return true;
}

// The absolute form of path as a directory would have it: trimmed, resolved,
// without a trailing slash except for the root. Empty path: the current
// directory.
bool directoryForm(const char* path, char* out) {
  char local[kLongPath];
  if (std::strlen(path) + 2 > sizeof local) return false;
  std::strcpy(local, path);
  if (AddBackslashN(local, sizeof local) == 0) return false;
  if (!os::fullPath(local, out, kLongPath)) return false;
  size_t n = std::strlen(out);
  if (n > 1 && out[n - 1] == '/') out[n - 1] = 0;
  return true;
}

void append(char* out, size_t& len, const char* piece, size_t n) {
  std::memcpy(out + len, piece, n);
  len += n;
  out[len] = 0;
}

}  // namespace

char* HasExtension(const char* path) {
  if (!path) return nullptr;
  const char* slash = std::strrchr(path, '/');
  const char* base = slash ? slash + 1 : path;
  const char* dot = std::strrchr(base, '.');
  if (!dot) return nullptr;
  const char* p = base;
  while (p < dot && *p == '.') ++p;
  return p == dot ? nullptr : const_cast<char*>(dot);
}

int32_t ExpandFileNameN(char* path, uint32_t pathSize) {
  if (!path || !*path) return 0;
  char full[kLongPath];
  if (!os::fullPath(path, full, sizeof full)) return 0;
  return copyWhole(path, pathSize, full) ? 1 : 0;
}

void ExpandFileName(char* path) { ExpandFileNameN(path, kTextSize); }

int32_t AddBackslashN(char* path, uint32_t pathSize) {
  if (!path) return 0;
  Trim(path);
  size_t n = std::strlen(path);
  if (n == 0 || path[n - 1] == '/') return 1;
  if (n + 2 > pathSize) return 0;
  path[n] = '/';
  path[n + 1] = 0;
  return 1;
}

void AddBackslash(char* path) { AddBackslashN(path, kTextSize); }

int32_t IsDirectoryN(char* path, uint32_t pathSize, int32_t stay) {
  if (!path) return 0;
  char full[kLongPath];
  if (!directoryForm(path, full)) return 0;
  copyWhole(path, pathSize, full);
  if (stay) return os::setCurrentDirectory(full) ? 1 : 0;
  return os::isDirectory(full) ? 1 : 0;
}

int32_t IsDirectory(char* path, int32_t stay) { return IsDirectoryN(path, kTextSize, stay); }

int32_t GetFilePiecesN(char* path, uint32_t pathSize, int32_t wantDrive, int32_t wantDirectory, int32_t wantName,
                       int32_t wantExtension) {
  if (!path) return 0;
  Trim(path);
  if (!*path) return 1;
  char full[kLongPath];
  if (!directoryForm(path, full)) return 0;
  char out[kLongPath + 1];
  size_t len = 0;
  out[0] = 0;
  // wantDrive adds nothing: POSIX paths have no drive piece.
  if (os::isDirectory(full)) {
    if (wantDirectory) {
      append(out, len, full, std::strlen(full));
      if (out[len - 1] != '/') append(out, len, "/", 1);
    }
  } else {
    const char* base = std::strrchr(full, '/') + 1;  // the form is absolute
    const char* ext = HasExtension(base);
    if (!ext) ext = base + std::strlen(base);
    if (wantDirectory) append(out, len, full, static_cast<size_t>(base - full));
    if (wantName) append(out, len, base, static_cast<size_t>(ext - base));
    if (wantExtension) append(out, len, ext, std::strlen(ext));
  }
  return copyWhole(path, pathSize, out) ? 1 : 0;
}

void GetFilePieces(char* path, int32_t wantDrive, int32_t wantDirectory, int32_t wantName, int32_t wantExtension) {
  GetFilePiecesN(path, kTextSize, wantDrive, wantDirectory, wantName, wantExtension);
}

char GetDriveN(char* path, uint32_t pathSize) {
  ExpandFileNameN(path, pathSize);
  return 0;
}

char GetDrive(char* path) { return GetDriveN(path, kTextSize); }

char* GetTempNameN(char* dest, uint32_t destSize, const char* directory, const char* prefix, uint32_t number) {
  if (!dest || destSize == 0) return nullptr;
  // "A" plus each 4-bit group of number, lowest first; the 32-bit number has
  // eight groups, so bytes 8 to 11 are always "A".
  char name[13];
  for (int i = 0; i < 12; ++i) name[i] = static_cast<char>('A' + (i < 8 ? (number >> (4 * i)) & 15 : 0));
  for (int i = 0; i < 12 && prefix && prefix[i]; ++i) name[i] = prefix[i];
  name[8] = '.';
  name[12] = 0;
  size_t dirLen = directory ? std::strlen(directory) : 0;
  if (dirLen + sizeof name > destSize) {
    dest[0] = 0;
    return nullptr;
  }
  std::memmove(dest, directory ? directory : "", dirLen);
  std::memcpy(dest + dirLen, name, sizeof name);
  return dest;
}

char* GetTempName(char* dest, const char* directory, const char* prefix, uint32_t number) {
  return GetTempNameN(dest, kTextSize, directory, prefix, number);
}

TOL_NS_END
