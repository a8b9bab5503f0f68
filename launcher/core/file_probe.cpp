#include "core/file_probe.h"

#include <cstdio>
#include <cstring>

namespace tolvideo {

const char* const kOldZurnMessage =
    "This Zurn file uses an old or beta Zurn file format - please re-Zurn the original video file.";

FileType probeFile(const std::string& name, Services& services) {
  char head[4];
  std::FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return FileType::Other;
  size_t got = std::fread(head, 1, 4, f);
  std::fclose(f);
  if (got < 4) return FileType::Other;
  if (std::memcmp(head, "ZRNf", 4) == 0) return FileType::Zurn;
  if (std::memcmp(head, "ZRN", 3) == 0) {
    services.error(kOldZurnMessage);
    return FileType::OldZurn;
  }
  if (std::memcmp(head, "PLV2", 4) == 0) return FileType::Pleven;
  return FileType::Other;
}

}  // namespace tolvideo
