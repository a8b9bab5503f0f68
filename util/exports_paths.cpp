// Exported path and file-check helpers and the message passing between
// processes: thin wrappers over the library's own functions.
#include "tol/tolutil.h"
#include "util/copydata.h"
#include "util/filechecks.h"
#include "util/paths.h"

static_assert(TOL_COPYDATA_MAX_SIZE == tol::kCopyDataMaxSize);

TOLAPI(char*) HasExtension(const char* path) { return tol::HasExtension(path); }
TOLAPI(int32_t) ExpandFileNameN(char* path, uint32_t pathSize) { return tol::ExpandFileNameN(path, pathSize); }
TOLAPI(void) ExpandFileName(char* path) { tol::ExpandFileName(path); }
TOLAPI(int32_t) AddBackslashN(char* path, uint32_t pathSize) { return tol::AddBackslashN(path, pathSize); }
TOLAPI(void) AddBackslash(char* path) { tol::AddBackslash(path); }
TOLAPI(int32_t) IsDirectoryN(char* path, uint32_t pathSize, int32_t stay) {
  return tol::IsDirectoryN(path, pathSize, stay);
}
TOLAPI(int32_t) IsDirectory(char* path, int32_t stay) { return tol::IsDirectory(path, stay); }
TOLAPI(int32_t) GetFilePiecesN(char* path, uint32_t pathSize, int32_t wantDrive, int32_t wantDirectory,
                               int32_t wantName, int32_t wantExtension) {
  return tol::GetFilePiecesN(path, pathSize, wantDrive, wantDirectory, wantName, wantExtension);
}
TOLAPI(void) GetFilePieces(char* path, int32_t wantDrive, int32_t wantDirectory, int32_t wantName,
                           int32_t wantExtension) {
  tol::GetFilePieces(path, wantDrive, wantDirectory, wantName, wantExtension);
}
TOLAPI(char) GetDriveN(char* path, uint32_t pathSize) { return tol::GetDriveN(path, pathSize); }
TOLAPI(char) GetDrive(char* path) { return tol::GetDrive(path); }
TOLAPI(char*) GetTempNameN(char* dest, uint32_t destSize, const char* directory, const char* prefix,
                           uint32_t number) {
  return tol::GetTempNameN(dest, destSize, directory, prefix, number);
}
TOLAPI(char*) GetTempName(char* dest, const char* directory, const char* prefix, uint32_t number) {
  return tol::GetTempName(dest, directory, prefix, number);
}

TOLAPI(uint32_t) tolfilesize(const char* name) { return tol::tolfilesize(name); }
TOLAPI(int32_t) overwrite(const char* name, int32_t useDialog) { return tol::overwrite(name, useDialog); }
TOLAPI(int32_t) CheckForDup(const char* inputName, const char* outputName) {
  return tol::CheckForDup(inputName, outputName);
}

TOLAPI(int32_t) CopyData(intptr_t window, intptr_t sender, uint32_t tag, uint32_t size, const void* data) {
  return tol::CopyData(window, sender, tag, size, data);
}
TOLAPI(TOLCopyDataReceiver*) CopyDataListen(intptr_t window) {
  return reinterpret_cast<TOLCopyDataReceiver*>(tol::CopyDataListen(window));
}
TOLAPI(int32_t) CopyDataReceive(TOLCopyDataReceiver* r, uint32_t* tag, void* dest, uint32_t capacity,
                                uint32_t* size, int32_t timeoutMs) {
  return tol::CopyDataReceive(reinterpret_cast<tol::CopyDataReceiver*>(r), tag, dest, capacity, size, timeoutMs);
}
TOLAPI(int32_t) CopyDataDescriptor(TOLCopyDataReceiver* r) {
  return tol::CopyDataDescriptor(reinterpret_cast<tol::CopyDataReceiver*>(r));
}
TOLAPI(void) CopyDataClose(TOLCopyDataReceiver* r) {
  tol::CopyDataClose(reinterpret_cast<tol::CopyDataReceiver*>(r));
}
