// The Zurn conformance vectors for the decoder tests: the copies under
// tests/data/vectors, else the shared folder.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "testutil.h"
#include "zurn_test_file.h"

namespace zurntest {

// A conformance vector file (from tests/data/vectors, else the shared
// folder); empty when neither has it.
inline std::string vectorPath(const std::string& name) {
  std::string local = testutil::dataFile("vectors/" + name);
  return std::filesystem::exists(local) ? local : testutil::vectorFile(name);
}
inline std::vector<uint8_t> vectorBytes(const std::string& name) {
  std::string path = vectorPath(name);
  return path.empty() ? std::vector<uint8_t>() : testutil::readFile(path);
}

inline std::vector<uint8_t> expectedFrame(const std::string& clip, int k) {
  char leaf[32];
  std::snprintf(leaf, sizeof leaf, "/frame%04d.yuv", k);
  return vectorBytes(clip + leaf);
}

}  // namespace zurntest
