// Writing through a buffered file into memory for the Huffman tests.
#pragma once

#include <functional>
#include <vector>

#include "fileio/tolfile.h"
#include "testutil.h"

namespace hufftest {

// Runs write on a fresh file and returns the bytes it left (the last
// partial byte padded with zero bits).
inline std::vector<uint8_t> writeBytes(const std::function<void(TOLFile*)>& write) {
  testutil::TempDir dir;
  const std::string name = dir.file("bits");
  TOLFile* f = tol::TOLFileCreate(4096, name.c_str());
  if (!f) {
    ADD_FAILURE() << "cannot create " << name;
    return {};
  }
  write(f);
  tol::TOLFileClose(f);
  return testutil::readFile(name);
}

inline std::vector<uint32_t> randomValues(size_t n, uint32_t seed, uint32_t range) {
  std::vector<uint32_t> v(n);
  for (auto& x : v) {
    seed = seed * 1103515245u + 12345u;
    x = (seed >> 8) % range;
  }
  return v;
}

}  // namespace hufftest
