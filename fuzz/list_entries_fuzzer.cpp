// Arbitrary bytes as a list file (first byte even) or as a single name (odd):
// every entry stays a terminated name within its buffer, and the reader
// reaches the end of the list or keeps naming entries without hanging.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fileio/tolfile.h"
#include "media/list_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const std::string listName = "/tmp/tol_list_fuzz_" + std::to_string(::getpid()) + ".lst";
  tol::ListEntryReader reader;
  TOLFile* f = nullptr;
  if ((data[0] & 1) == 0) {
    FILE* out = std::fopen(listName.c_str(), "wb");
    if (!out) return 0;
    std::fwrite(data + 1, 1, size - 1, out);
    std::fclose(out);
    f = tol::TOLFileOpen(4096, listName.c_str(), TOLFILE_READ_ONLY);
    if (!f) return 0;
    tol::listEntriesStart(reader, f, listName.c_str());
  } else {
    std::string name(reinterpret_cast<const char*>(data + 1), size - 1);
    tol::listEntriesStart(reader, nullptr, name.c_str());
  }
  for (int i = 0; i < 300; ++i) {
    tol::ListEntry e;
    tol::listEntriesNext(reader, e);
    if (std::memchr(e.name, 0, sizeof e.name) == nullptr) std::abort();
    if (i == 150) tol::listEntriesRestart(reader);
  }
  tol::TOLFileClose(f);
  return 0;
}
