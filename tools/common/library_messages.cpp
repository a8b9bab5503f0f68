#include "common/library_messages.h"

#include <sys/stat.h>

#include <cerrno>

#include "common/command_line.h"

namespace tolapp {

int32_t TOL_CC keepLibraryMessage(const char* text, int32_t kind) {
  if (kind == TOL_MESSAGE_ERROR && text) lastLibraryMessage() = text;
  return 0;
}

std::string openFailure(const std::string& name, const std::string& fallback) {
  struct stat st;
  if (name.find_first_of("?*") == std::string::npos && ::stat(name.c_str(), &st) != 0) {
    const int e = errno;
    // The graphics input also takes a name without its extension.
    if (name.find('.', name.find_last_of('/') + 1) != std::string::npos || e != ENOENT)
      return systemMessage(name, e);
  }
  const std::string& message = lastLibraryMessage();
  return message.empty() ? name + ": " + fallback : name + ": " + message;
}

}  // namespace tolapp
