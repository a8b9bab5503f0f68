#include "platform/profile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

TOL_NS_BEGIN
namespace profile {
namespace {

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool sameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

std::vector<std::string> readLines() {
  std::vector<std::string> lines;
  std::ifstream in(path());
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Finds the key inside the section. Returns the line index of the key, or -1;
// sectionEnd receives the index after the section's last line (or -1 when the
// section is missing).
long findKey(const std::vector<std::string>& lines, const char* section, const char* key, long& sectionEnd) {
  bool inSection = false;
  sectionEnd = -1;
  long found = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string t = trim(lines[i]);
    if (!t.empty() && t.front() == '[' && t.back() == ']') {
      if (inSection) return found;
      inSection = sameName(trim(t.substr(1, t.size() - 2)), section);
      if (inSection) sectionEnd = static_cast<long>(i) + 1;
      continue;
    }
    if (!inSection || t.empty() || t[0] == ';' || t[0] == '#') continue;
    sectionEnd = static_cast<long>(i) + 1;
    size_t eq = t.find('=');
    if (found < 0 && eq != std::string::npos && sameName(trim(t.substr(0, eq)), key)) found = static_cast<long>(i);
  }
  return found;
}

bool makeParents(const std::string& file) {
  for (size_t i = 1; i < file.size(); ++i) {
    if (file[i] != '/') continue;
    std::string dir = file.substr(0, i);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// Names and values that would break the line structure of the file.
bool storable(const char* text, const char* forbidden) {
  return text && std::strpbrk(text, forbidden) == nullptr;
}

// Serialises read-modify-write cycles: a mutex between the threads of this
// process, an advisory lock on the profile's folder between processes.
class WriteLock {
 public:
  explicit WriteLock(const std::string& folder) : guard_(mutex()) {
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0)
      while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
  }
  ~WriteLock() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
  }
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;

 private:
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }
  std::lock_guard<std::mutex> guard_;
  int fd_ = -1;
};

}  // namespace

std::string path() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : "/tmp") + "/.config";
  }
  return base + "/tolvideo/tolvideo.ini";
}

size_t getString(const char* section, const char* key, const char* defaultValue, char* dest, size_t cap) {
  if (!dest || cap == 0) return 0;
  std::string value = defaultValue ? defaultValue : "";
  if (section && key) {
    auto lines = readLines();
    long end;
    long k = findKey(lines, section, key, end);
    if (k >= 0) {
      const std::string& l = lines[static_cast<size_t>(k)];
      value = trim(l.substr(l.find('=') + 1));
    }
  }
  size_t n = value.size() < cap - 1 ? value.size() : cap - 1;
  std::memcpy(dest, value.data(), n);
  dest[n] = 0;
  return n;
}

int32_t getInt(const char* section, const char* key, int32_t defaultValue) {
  char buf[64];
  if (getString(section, key, "", buf, sizeof buf) == 0) return defaultValue;
  char* end = nullptr;
  long long v = std::strtoll(buf, &end, 10);
  if (end == buf) return defaultValue;
  return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

bool writeString(const char* section, const char* key, const char* value) {
  if (!storable(section, "]\r\n") || !storable(key, "=\r\n") || !*key || (value && !storable(value, "\r\n")))
    return false;
  std::string file = path();
  if (!makeParents(file)) return false;
  WriteLock lock(file.substr(0, file.rfind('/')));
  auto lines = readLines();
  long end;
  long k = findKey(lines, section, key, end);
  std::string entry = std::string(key) + "=" + (value ? value : "");
  if (k >= 0) {
    if (value)
      lines[static_cast<size_t>(k)] = entry;
    else
      lines.erase(lines.begin() + k);
  } else if (value) {
    if (end < 0) {
      if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
      lines.push_back(std::string("[") + section + "]");
      lines.push_back(entry);
    } else {
      lines.insert(lines.begin() + end, entry);
    }
  }
  // Write a new file and rename it over the old one, so that a crash never
  // leaves a half-written profile.
  std::string tmp = file + ".new" + std::to_string(getpid());
  {
    std::ofstream out(tmp, std::ios::trunc);
    if (!out) return false;
    for (const auto& l : lines) out << l << '\n';
    out.flush();
    if (!out) {
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), file.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

bool writeInt(const char* section, const char* key, int32_t value) {
  return writeString(section, key, std::to_string(value).c_str());
}

}  // namespace profile
TOL_NS_END
