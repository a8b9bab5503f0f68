// Small helpers shared by the test programs.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace testutil {

// A fresh, empty folder for the running test, removed when it goes out of
// scope. Its name is short and made by mkdtemp in the system's temporary
// folder ($TMPDIR), so the files in it fit the 127-byte names of the
// library's file records wherever the checkout lies; a test that needs a long
// name builds one on purpose.
class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tol.XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder from " + pattern);
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::vector<uint8_t> readFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A name of an existing file that the library's 127-byte file records can
// hold: the path itself when it is short, else the same file relative to the
// current folder when that is shorter (a checkout deep in the file system).
inline std::string libraryName(const std::filesystem::path& p) {
  constexpr size_t kRecordName = 127;
  std::string name = p.lexically_normal().string();
  if (name.size() < kRecordName) return name;
  std::error_code ec;
  const std::string rel = std::filesystem::relative(p, ec).string();
  return !ec && !rel.empty() && rel.size() < name.size() ? rel : name;
}

// Path of a file of the shared test corpus or of the conformance vectors;
// empty when that folder is not there (a user's clone), so tests can skip.
inline std::string corpusFile(const std::string& rel) {
  std::filesystem::path p = std::filesystem::path(TOL_CORPUS_DIR) / rel;
  return std::filesystem::exists(p) ? libraryName(p) : std::string();
}
inline std::string vectorFile(const std::string& rel) {
  std::filesystem::path p = std::filesystem::path(TOL_VECTORS_DIR) / rel;
  return std::filesystem::exists(p) ? libraryName(p) : std::string();
}
// A file committed under tests/data/.
inline std::string dataFile(const std::string& rel) {
  return libraryName(std::filesystem::path(TOL_SOURCE_DIR) / "tests/data" / rel);
}

}  // namespace testutil

#define TOL_REQUIRE_FILE(var, expr)                                      \
  const std::string var = (expr);                                        \
  if (var.empty()) GTEST_SKIP() << "test media not present: " << #expr
