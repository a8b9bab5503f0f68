// The tools' callback for the media libraries (graphics and sound input,
// output files), and the message a tool prints when an open fails.
#pragma once

#include <string>

#include "tol/mediacallback.h"

namespace tolapp {

// Progress lines are dropped; the last error is kept in lastLibraryMessage().
int32_t TOL_CC keepLibraryMessage(const char* text, int32_t kind);

// The library's last message, or the system's message when `name` (not a
// numbered pattern) cannot be reached, or `fallback`.
std::string openFailure(const std::string& name, const std::string& fallback);

}  // namespace tolapp
