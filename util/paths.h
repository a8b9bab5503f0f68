// Path helpers on POSIX paths: '/' is the only separator and there are no
// drive letters. Each function that writes a path has a form that takes the
// size of the caller's buffer (…N); the plain form assumes kTextSize bytes.
// A result that does not fit is refused: the path is left as it was and the
// N form returns 0.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// The last '.' of the final path component, or null. Dots that begin the
// component (".profile", "..") start no extension.
char* HasExtension(const char* path);

// Replaces the path by its absolute form ("." and ".." resolved, repeated
// slashes merged, a trailing slash kept). An empty path stays empty (0).
int32_t ExpandFileNameN(char* path, uint32_t pathSize);
void ExpandFileName(char* path);

// Trims; a path that is not empty and does not end in '/' gets one.
int32_t AddBackslashN(char* path, uint32_t pathSize);
void AddBackslash(char* path);

// 1 if the path names an existing directory. The path becomes its absolute
// form without a trailing slash ("/" for the root; the current directory for
// an empty path) when that fits. With stay set, the directory also becomes
// the current directory (1 only when that worked). Without it the current
// directory is never touched.
int32_t IsDirectoryN(char* path, uint32_t pathSize, int32_t stay);
int32_t IsDirectory(char* path, int32_t stay);

// Replaces the path by the chosen pieces of its absolute form: drive
// (always empty here), directory (with its trailing '/'), base name,
// extension (with its dot). For a directory only the directory piece is
// ever given: the directory itself with a trailing '/'. An empty path stays
// empty.
int32_t GetFilePiecesN(char* path, uint32_t pathSize, int32_t wantDrive, int32_t wantDirectory, int32_t wantName,
                       int32_t wantExtension);
void GetFilePieces(char* path, int32_t wantDrive, int32_t wantDirectory, int32_t wantName, int32_t wantExtension);

// Expands the path in place (as ExpandFileName) and returns its drive
// letter: always 0, POSIX paths have none.
char GetDriveN(char* path, uint32_t pathSize);
char GetDrive(char* path);

// dest = directory + a 12-byte name made from number and prefix (no
// separator is added: the directory ends in '/' or is empty). Returns dest,
// or null (dest empty) when it does not fit.
char* GetTempNameN(char* dest, uint32_t destSize, const char* directory, const char* prefix, uint32_t number);
char* GetTempName(char* dest, const char* directory, const char* prefix, uint32_t number);

TOL_NS_END
