// Buffered file and bit I/O: the library-internal declarations. Each library
// compiles its own copy (see platform/libns.h); tolutil exports the same
// functions under the same names (include/tol/tolfile.h).
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/tolfile_record.h"

TOL_NS_BEGIN

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
uint32_t TOLFileGet8(TOLFile* f);
uint32_t TOLFileGet16(TOLFile* f);
uint32_t TOLFileGet32(TOLFile* f);
uint32_t TOLFileGetBits(TOLFile* f, uint32_t n);
char* TOLFileGetLine(TOLFile* f, char* buffer, uint32_t capacity);

uint32_t TOLFilePutNB(TOLFile* f, const void* src, uint32_t count);
uint32_t TOLFilePut(TOLFile* f, const void* src, uint32_t count);
uint32_t TOLFilePut8(TOLFile* f, uint32_t value);
uint32_t TOLFilePut16(TOLFile* f, uint32_t value);
uint32_t TOLFilePut32(TOLFile* f, uint32_t value);
uint32_t TOLFilePutBits(TOLFile* f, uint32_t value, uint32_t n);

const char* TOLFileGetName(TOLFile* f, char* dest);
uint32_t TOLFileGetTime(TOLFile* f);
void TOLFileSetTime(TOLFile* f, uint32_t time);
int32_t TOLFileErase(const char* name);
int32_t TOLFileRename(const char* newName, const char* oldName);
void LogString(const char* fileName, const char* text);

TOL_NS_END
