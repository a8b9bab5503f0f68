// The per-user profile: named values in sections, kept across runs.
// On POSIX it is an INI file at $XDG_CONFIG_HOME/tolvideo/tolvideo.ini
// (~/.config/tolvideo/tolvideo.ini without that variable); sections and keys
// are the same as in the Windows profile. Names are matched without regard
// to case, as the Windows profile does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/libns.h"

TOL_NS_BEGIN
namespace profile {

// Full path of the profile file.
std::string path();

// Copies the value (or defaultValue when absent) into dest, cut to cap - 1
// bytes; returns the number of bytes stored.
size_t getString(const char* section, const char* key, const char* defaultValue, char* dest, size_t cap);
// The value read as a signed decimal number, or defaultValue when absent or
// not a number.
int32_t getInt(const char* section, const char* key, int32_t defaultValue);
// Stores the value; a null value removes the key. False when the file
// cannot be written, or when the text would break the file's lines: a line
// break anywhere, "]" in the section, "=" in the key, an empty key. Writes
// from several threads or processes are serialised.
bool writeString(const char* section, const char* key, const char* value);
bool writeInt(const char* section, const char* key, int32_t value);

}  // namespace profile
TOL_NS_END
