// tolutil's exported buffered file functions: thin wrappers over its own copy
// of the file code.
#include "fileio/tolfile.h"
#include "tol/tolfile.h"

TOLAPI(TOLFile*) TOLFileOpen(int32_t bufferSize, const char* name, int32_t openMode) {
  return tol::TOLFileOpen(bufferSize, name, openMode);
}
TOLAPI(TOLFile*) TOLFileCreate(int32_t bufferSize, const char* name) { return tol::TOLFileCreate(bufferSize, name); }
TOLAPI(TOLFile*) TOLFileCreateWithRead(int32_t bufferSize, const char* name) {
  return tol::TOLFileCreateWithRead(bufferSize, name);
}
TOLAPI(void) TOLFileClose(TOLFile* f) { tol::TOLFileClose(f); }

TOLAPI(uint32_t) TOLFileGetPos(TOLFile* f) { return tol::TOLFileGetPos(f); }
TOLAPI(uint32_t) TOLFileSetPos(TOLFile* f, uint32_t pos) { return tol::TOLFileSetPos(f, pos); }
TOLAPI(uint32_t) TOLFileSize(TOLFile* f) { return tol::TOLFileSize(f); }
TOLAPI(int32_t) TOLFileAtEnd(TOLFile* f) { return tol::TOLFileAtEnd(f); }
TOLAPI(int32_t) TOLFileIsInBuffer(TOLFile* f, uint32_t pos) { return tol::TOLFileIsInBuffer(f, pos); }
TOLAPI(int32_t) TOLFileBitPos(TOLFile* f) { return tol::TOLFileBitPos(f); }
TOLAPI(void) TOLFileByteAlign(TOLFile* f) { tol::TOLFileByteAlign(f); }
TOLAPI(int32_t) TOLFileAlign(TOLFile* f, uint32_t n) { return tol::TOLFileAlign(f, n); }
TOLAPI(void) TOLFileFlush(TOLFile* f) { tol::TOLFileFlush(f); }

TOLAPI(uint32_t) TOLFileGetNB(TOLFile* f, void* dest, uint32_t count) { return tol::TOLFileGetNB(f, dest, count); }
TOLAPI(uint32_t) TOLFileGet(TOLFile* f, void* dest, uint32_t count) { return tol::TOLFileGet(f, dest, count); }
TOLAPI(uint32_t) TOLFileGet8(TOLFile* f) { return tol::TOLFileGet8(f); }
TOLAPI(uint32_t) TOLFileGet16(TOLFile* f) { return tol::TOLFileGet16(f); }
TOLAPI(uint32_t) TOLFileGet32(TOLFile* f) { return tol::TOLFileGet32(f); }
TOLAPI(uint32_t) TOLFileGetBits(TOLFile* f, uint32_t n) { return tol::TOLFileGetBits(f, n); }
TOLAPI(char*) TOLFileGetLine(TOLFile* f, char* buffer, uint32_t capacity) {
  return tol::TOLFileGetLine(f, buffer, capacity);
}

TOLAPI(uint32_t) TOLFilePutNB(TOLFile* f, const void* src, uint32_t count) {
  return tol::TOLFilePutNB(f, src, count);
}
TOLAPI(uint32_t) TOLFilePut(TOLFile* f, const void* src, uint32_t count) { return tol::TOLFilePut(f, src, count); }
TOLAPI(uint32_t) TOLFilePut8(TOLFile* f, uint32_t value) { return tol::TOLFilePut8(f, value); }
TOLAPI(uint32_t) TOLFilePut16(TOLFile* f, uint32_t value) { return tol::TOLFilePut16(f, value); }
TOLAPI(uint32_t) TOLFilePut32(TOLFile* f, uint32_t value) { return tol::TOLFilePut32(f, value); }
TOLAPI(uint32_t) TOLFilePutBits(TOLFile* f, uint32_t value, uint32_t n) { return tol::TOLFilePutBits(f, value, n); }

TOLAPI(const char*) TOLFileGetName(TOLFile* f, char* dest) { return tol::TOLFileGetName(f, dest); }
TOLAPI(uint32_t) TOLFileGetTime(TOLFile* f) { return tol::TOLFileGetTime(f); }
TOLAPI(void) TOLFileSetTime(TOLFile* f, uint32_t time) { tol::TOLFileSetTime(f, time); }
TOLAPI(int32_t) TOLFileErase(const char* name) { return tol::TOLFileErase(name); }
TOLAPI(int32_t) TOLFileRename(const char* newName, const char* oldName) {
  return tol::TOLFileRename(newName, oldName);
}
TOLAPI(void) LogString(const char* fileName, const char* text) { tol::LogString(fileName, text); }
