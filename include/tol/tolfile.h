/* Buffered file and bit I/O, exported by tolutil.
 *
 * Bit fields are least significant bit first; 16- and 32-bit values are
 * little-endian. One handle switches freely between reading and writing.
 *
 * POSIX adaptations: files opened for reading are not protected against
 * other writers (POSIX has no share modes), so TOLFileCreateWithRead is the
 * same as TOLFileCreate; TOLFileGetTime/SetTime use the upper 32 bits of a
 * count of 100 ns units from 1601-01-01 UTC, converted from and to the
 * modification time (SetTime also sets the access time; there is no
 * creation time); names longer than 127 bytes are refused (open and create
 * return null). TOLFileFlush, TOLFileSetTime and TOLFileClose commit the
 * file to disk; seeks and direction switches only write the buffer out.
 * A null handle behaves as a closed one. */
#ifndef TOL_TOLFILE_H
#define TOL_TOLFILE_H

#include "tol/api.h"
#include "tol/tolfile_record.h"

TOLAPI(TOLFile*) TOLFileOpen(int32_t bufferSize, const char* name, int32_t openMode);
TOLAPI(TOLFile*) TOLFileCreate(int32_t bufferSize, const char* name);
TOLAPI(TOLFile*) TOLFileCreateWithRead(int32_t bufferSize, const char* name);
TOLAPI(void) TOLFileClose(TOLFile* f);

TOLAPI(uint32_t) TOLFileGetPos(TOLFile* f);
TOLAPI(uint32_t) TOLFileSetPos(TOLFile* f, uint32_t pos);
TOLAPI(uint32_t) TOLFileSize(TOLFile* f);
TOLAPI(int32_t) TOLFileAtEnd(TOLFile* f);
TOLAPI(int32_t) TOLFileIsInBuffer(TOLFile* f, uint32_t pos);
TOLAPI(int32_t) TOLFileBitPos(TOLFile* f);
TOLAPI(void) TOLFileByteAlign(TOLFile* f);
TOLAPI(int32_t) TOLFileAlign(TOLFile* f, uint32_t n);
TOLAPI(void) TOLFileFlush(TOLFile* f);

TOLAPI(uint32_t) TOLFileGetNB(TOLFile* f, void* dest, uint32_t count);
TOLAPI(uint32_t) TOLFileGet(TOLFile* f, void* dest, uint32_t count);
TOLAPI(uint32_t) TOLFileGet8(TOLFile* f);
TOLAPI(uint32_t) TOLFileGet16(TOLFile* f);
TOLAPI(uint32_t) TOLFileGet32(TOLFile* f);
TOLAPI(uint32_t) TOLFileGetBits(TOLFile* f, uint32_t n);
TOLAPI(char*) TOLFileGetLine(TOLFile* f, char* buffer, uint32_t capacity);

TOLAPI(uint32_t) TOLFilePutNB(TOLFile* f, const void* src, uint32_t count);
TOLAPI(uint32_t) TOLFilePut(TOLFile* f, const void* src, uint32_t count);
TOLAPI(uint32_t) TOLFilePut8(TOLFile* f, uint32_t value);
TOLAPI(uint32_t) TOLFilePut16(TOLFile* f, uint32_t value);
TOLAPI(uint32_t) TOLFilePut32(TOLFile* f, uint32_t value);
TOLAPI(uint32_t) TOLFilePutBits(TOLFile* f, uint32_t value, uint32_t n);

/* dest, when not null, must hold TOLFILE_NAME_SIZE bytes. */
TOLAPI(const char*) TOLFileGetName(TOLFile* f, char* dest);
TOLAPI(uint32_t) TOLFileGetTime(TOLFile* f);
TOLAPI(void) TOLFileSetTime(TOLFile* f, uint32_t time);
TOLAPI(int32_t) TOLFileErase(const char* name);
TOLAPI(int32_t) TOLFileRename(const char* newName, const char* oldName);
TOLAPI(void) LogString(const char* fileName, const char* text);

#endif
