// Checks a tool makes before it writes a file: the size of an input, whether
// an existing output may be replaced, whether input and output differ.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// Size in bytes of the named file (held at 0xFFFFFFFF for larger files), or
// 0 when it cannot be opened.
uint32_t tolfilesize(const char* name);

// 1 when the file may be written: nothing of that name exists, or the user
// answers Yes to "File <name> exists, overwrite?" (No is the default, and
// the answer of a run nobody can be asked). useDialog chooses the threaded
// dialog's question over the status window's; both ask the same.
int32_t overwrite(const char* name, int32_t useDialog);

// 1 when the two names denote different files: their absolute forms differ
// (with regard to case, as POSIX names do) and they are not the same
// existing file under two names (links). Otherwise shows "Output filename
// must be different than the input filename." and returns 0.
int32_t CheckForDup(const char* inputName, const char* outputName);

TOL_NS_END
