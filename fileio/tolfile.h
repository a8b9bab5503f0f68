// Buffered file and bit I/O: the library-internal declarations. Each library
// compiles its own copy (see platform/libns.h); tolutil exports the same
// functions under the same names (include/tol/tolfile.h).
//
// Byte-aligned reads and writes of 8, 16 and 32 bits are inline here: when
// the buffer already holds (or has room for) the bytes they touch nothing but
// the buffer; everything else goes through the general functions.
//
// Adaptations to POSIX and deliberate choices (see also include/tol/tolfile.h):
// - TOLFileCreateWithRead is TOLFileCreate: both create or truncate the file
//   for reading and writing, and POSIX cannot keep other readers out anyway.
// - Names longer than 127 bytes are refused (open and create return null).
// - Only TOLFileFlush, TOLFileSetTime and TOLFileClose ask the OS to commit
//   the file to disk; seeks and direction switches write the buffer out
//   without a commit, which would otherwise cost a disk sync per seek.
// - Any write in reading mode switches the handle to writing, buffered or
//   not, so a handle always writes at its logical position. A bit-level write
//   (TOLFilePut, TOLFilePutBits, TOLFilePut8/16/32) that finds a partly read
//   byte continues at that bit, keeping the bits already read below it.
// - Dropping the buffer (a seek outside it, a switch of direction) makes it
//   whole again: bufferEnd returns to the capacity, so a fill that once hit
//   the end of the file does not leave the handle unbuffered for good.
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/tolfile_record.h"

TOL_NS_BEGIN

constexpr int32_t kTOLFileReading = 0;
constexpr int32_t kTOLFileWriting = 1;

TOLFile* TOLFileOpen(int32_t bufferSize, const char* name, int32_t openMode);
TOLFile* TOLFileCreate(int32_t bufferSize, const char* name);
TOLFile* TOLFileCreateWithRead(int32_t bufferSize, const char* name);
void TOLFileClose(TOLFile* f);

uint32_t TOLFileGetPos(TOLFile* f);
uint32_t TOLFileSetPos(TOLFile* f, uint32_t pos);
uint32_t TOLFileSize(TOLFile* f);
int32_t TOLFileAtEnd(TOLFile* f);
int32_t TOLFileIsInBuffer(TOLFile* f, uint32_t pos);
int32_t TOLFileBitPos(TOLFile* f);
void TOLFileByteAlign(TOLFile* f);
int32_t TOLFileAlign(TOLFile* f, uint32_t n);
void TOLFileFlush(TOLFile* f);

uint32_t TOLFileGetNB(TOLFile* f, void* dest, uint32_t count);
uint32_t TOLFileGet(TOLFile* f, void* dest, uint32_t count);
inline uint32_t TOLFileGet8(TOLFile* f);
inline uint32_t TOLFileGet16(TOLFile* f);
inline uint32_t TOLFileGet32(TOLFile* f);
uint32_t TOLFileGetBits(TOLFile* f, uint32_t n);
char* TOLFileGetLine(TOLFile* f, char* buffer, uint32_t capacity);

uint32_t TOLFilePutNB(TOLFile* f, const void* src, uint32_t count);
uint32_t TOLFilePut(TOLFile* f, const void* src, uint32_t count);
inline uint32_t TOLFilePut8(TOLFile* f, uint32_t value);
inline uint32_t TOLFilePut16(TOLFile* f, uint32_t value);
inline uint32_t TOLFilePut32(TOLFile* f, uint32_t value);
uint32_t TOLFilePutBits(TOLFile* f, uint32_t value, uint32_t n);

const char* TOLFileGetName(TOLFile* f, char* dest);
uint32_t TOLFileGetTime(TOLFile* f);
void TOLFileSetTime(TOLFile* f, uint32_t time);
int32_t TOLFileErase(const char* name);
int32_t TOLFileRename(const char* newName, const char* oldName);
void LogString(const char* fileName, const char* text);

namespace fileio {

// The general paths of the inline functions below: n little-endian bytes
// through TOLFileGet / TOLFilePut.
uint32_t getLE(TOLFile* f, uint32_t n);
uint32_t putLE(TOLFile* f, uint32_t value, uint32_t n);

// True when n bytes can be read straight from the buffer.
inline bool canReadDirect(const TOLFile* f, uint32_t n) {
  return f && f->buffer && f->mode == kTOLFileReading && f->bitCount == 0 && f->bufferEnd - f->bufferPos >= n;
}
// True when n bytes can be stored straight into the buffer.
inline bool canWriteDirect(const TOLFile* f, uint32_t n) {
  return f && f->buffer && f->mode == kTOLFileWriting && f->bitCount == 0 && f->bufferEnd - f->bufferPos >= n;
}

// N (1, 2 or 4) bytes little-endian, written out so that the compiler makes
// one load or store of them.
template <uint32_t N>
inline uint32_t getWord(TOLFile* f) {
  if (!canReadDirect(f, N)) return getLE(f, N);
  const uint8_t* p = f->buffer + f->bufferPos;
  f->bufferPos += N;
  uint32_t v = p[0];
  if constexpr (N >= 2) v |= static_cast<uint32_t>(p[1]) << 8;
  if constexpr (N == 4) v |= static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
  return v;
}

template <uint32_t N>
inline uint32_t putWord(TOLFile* f, uint32_t value) {
  if (!canWriteDirect(f, N)) return putLE(f, value, N);
  uint8_t* p = f->buffer + f->bufferPos;
  f->bufferPos += N;
  p[0] = static_cast<uint8_t>(value);
  if constexpr (N >= 2) p[1] = static_cast<uint8_t>(value >> 8);
  if constexpr (N == 4) {
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
  }
  return value;
}

}  // namespace fileio

inline uint32_t TOLFileGet8(TOLFile* f) { return fileio::getWord<1>(f); }
inline uint32_t TOLFileGet16(TOLFile* f) { return fileio::getWord<2>(f); }
inline uint32_t TOLFileGet32(TOLFile* f) { return fileio::getWord<4>(f); }
inline uint32_t TOLFilePut8(TOLFile* f, uint32_t value) { return fileio::putWord<1>(f, value); }
inline uint32_t TOLFilePut16(TOLFile* f, uint32_t value) { return fileio::putWord<2>(f, value); }
inline uint32_t TOLFilePut32(TOLFile* f, uint32_t value) { return fileio::putWord<4>(f, value); }

TOL_NS_END
