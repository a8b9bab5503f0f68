// Thin layer over the operating system: files, clock, directories, processes.
// Everything the suite needs from the host goes through here so that a
// Windows build only has to replace the *_posix.cpp files.
//
// POSIX adaptations:
// - "Shared for reading" cannot be enforced (POSIX has no share modes); every
//   file is readable by other processes, and an exclusive create is simply a
//   create. The sequential-scan hint becomes posix_fadvise(SEQUENTIAL).
// - File times are kept in the 64-bit unit of 100 ns counted from 1601-01-01
//   (UTC), converted from and to the POSIX modification time.
// - Committing to disk is fsync().
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN
namespace os {

using File = int32_t;
constexpr File kInvalidFile = -1;

// Opens an existing file (not a folder) for reading, or for reading and
// writing. Opening a named pipe does not wait for its other end.
File openExisting(const char* name, bool readWrite);
// Creates or truncates a file for reading and writing.
File create(const char* name);
void close(File f);

// Return the number of bytes moved, or -1 on an error.
int64_t read(File f, void* dest, uint32_t count);
int64_t write(File f, const void* src, uint32_t count);
// whence: 0 from the start, 1 from the current position, 2 from the end.
// Returns the new position, or -1.
int64_t seek(File f, int64_t offset, int whence);
bool commit(File f);
// A read-only view of the first `size` bytes of an open file, or null (the
// caller then reads instead). A file cut shorter while viewed makes touching
// the lost part fatal, as with any mapped file.
const void* mapForReading(File f, uint64_t size);
void unmap(const void* view, uint64_t size);
// Last-write time in 100 ns units since 1601-01-01, 0 on failure.
uint64_t fileTime(File f);
// Sets the access and modification times (POSIX has no creation time).
bool setFileTime(File f, uint64_t time);

// 0 success, 1 no such file, 2 any other failure.
int erase(const char* name);
// Renames oldName to newName; never replaces an existing newName.
// 0 success, 1 oldName missing, 2 other failure (newName exists included).
int rename(const char* newName, const char* oldName);
bool exists(const char* name);
bool isDirectory(const char* name);

// Current working directory into dest (capacity cap); false if it does not fit.
bool currentDirectory(char* dest, size_t cap);
bool setCurrentDirectory(const char* path);
// Absolute, lexically normalised form of path ("." and ".." resolved,
// repeated separators merged) relative to the current directory. The file
// need not exist. False if the result does not fit in cap bytes.
bool fullPath(const char* path, char* dest, size_t cap);
// Folder holding the running program, with a trailing '/'.
bool programDirectory(char* dest, size_t cap);

// Steady millisecond clock (wraps like a 32-bit tick count).
uint32_t milliseconds();
void sleep(uint32_t ms);
void yield();
int32_t processId();

// Starts a program without waiting for it. args is null-terminated; args[0]
// is the program path. Returns false when it cannot be started.
bool startProgram(const char* const* args);

}  // namespace os
TOL_NS_END
