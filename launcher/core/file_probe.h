// The file-type probe of every launcher action: the first four bytes.
#pragma once

#include <string>

#include "core/services.h"

namespace tolvideo {

enum class FileType { Other = 0, Zurn = 1, Pleven = 2, OldZurn = 16 };

// "ZRNf" Zurn, "PLV2" Pleven, "ZRN" and another byte an old Zurn file (the
// user is told to compress it again), anything else (fewer than four bytes,
// unreadable) other.
FileType probeFile(const std::string& name, Services& services);

extern const char* const kOldZurnMessage;

}  // namespace tolvideo
