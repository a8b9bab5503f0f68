// Helpers for the buffered file tests: an owning handle and disk checks.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fileio/tolfile.h"
#include "testutil.h"

namespace fileiotest {

struct Closer {
  void operator()(TOLFile* f) const { tol::TOLFileClose(f); }
};
using Handle = std::unique_ptr<TOLFile, Closer>;

// A created file; a refused create stops the test with the name it refused.
inline Handle create(const std::string& name, int32_t bufferSize) {
  Handle f(tol::TOLFileCreate(bufferSize, name.c_str()));
  if (!f) throw std::runtime_error("the library refused to create " + name);
  return f;
}
inline Handle open(const std::string& name, int32_t bufferSize, int32_t mode = TOLFILE_READ_WRITE) {
  return Handle(tol::TOLFileOpen(bufferSize, name.c_str(), mode));
}

// Size of the file as the operating system sees it now.
inline uintmax_t diskSize(const std::string& name) { return std::filesystem::file_size(name); }

inline std::vector<uint8_t> pattern(size_t n, uint32_t seed = 1) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    v[i] = static_cast<uint8_t>(seed >> 16);
  }
  return v;
}

}  // namespace fileiotest
