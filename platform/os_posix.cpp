#include "platform/os.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

TOL_NS_BEGIN
namespace os {
namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kEpochDelta = 11644473600ull;

}  // namespace

File openExisting(const char* name, bool readWrite) {
  if (!name) return kInvalidFile;
  int fd;
  // Non-blocking only for the open itself: opening a named pipe must not
  // wait for a writer to appear.
  do {
    fd = ::open(name, (readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return kInvalidFile;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return kInvalidFile;
  }
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  return fd;
}

File create(const char* name) {
  if (!name) return kInvalidFile;
  int fd;
  do {
    fd = ::open(name, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? kInvalidFile : fd;
}

void close(File f) {
  if (f >= 0) ::close(f);
}

namespace {

// Repeats a read or write until `count` bytes are moved, the file ends or an
// error stops it; EINTR retries. Returns the bytes moved, or -1 when an
// error came before any byte did.
template <class Transfer>
int64_t transferAll(Transfer transfer, uint32_t count) {
  int64_t total = 0;
  while (count > 0) {
    const ssize_t n = transfer(total, count > (1u << 30) ? (1u << 30) : count);
    if (n < 0) {
      if (errno == EINTR) continue;
      return total > 0 ? total : -1;
    }
    if (n == 0) break;
    total += n;
    count -= static_cast<uint32_t>(n);
  }
  return total;
}

}  // namespace

int64_t read(File f, void* dest, uint32_t count) {
  uint8_t* p = static_cast<uint8_t*>(dest);
  return transferAll([&](int64_t done, uint32_t n) { return ::read(f, p + done, n); }, count);
}

int64_t write(File f, const void* src, uint32_t count) {
  const uint8_t* p = static_cast<const uint8_t*>(src);
  return transferAll([&](int64_t done, uint32_t n) { return ::write(f, p + done, n); }, count);
}

int64_t seek(File f, int64_t offset, int whence) {
  static const int kWhence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (whence < 0 || whence > 2) return -1;
  off_t r = ::lseek(f, static_cast<off_t>(offset), kWhence[whence]);
  return r < 0 ? -1 : static_cast<int64_t>(r);
}

bool commit(File f) { return ::fsync(f) == 0; }

const void* mapForReading(File f, uint64_t size) {
  if (size == 0 || size > SIZE_MAX) return nullptr;
  void* p = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, f, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void unmap(const void* view, uint64_t size) {
  if (view) ::munmap(const_cast<void*>(view), static_cast<size_t>(size));
}

uint64_t fileTime(File f) {
  struct stat st;
  if (fstat(f, &st) != 0) return 0;
  return (static_cast<uint64_t>(st.st_mtim.tv_sec) + kEpochDelta) * 10000000ull +
         static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100;
}

bool setFileTime(File f, uint64_t time) {
  // Times before 1970 are negative POSIX times; the file system decides
  // whether it can store them.
  struct timespec ts[2];
  ts[0].tv_sec = static_cast<time_t>(static_cast<int64_t>(time / 10000000ull) - static_cast<int64_t>(kEpochDelta));
  ts[0].tv_nsec = static_cast<long>((time % 10000000ull) * 100);
  ts[1] = ts[0];
  return futimens(f, ts) == 0;
}

int erase(const char* name) {
  if (!name) return 2;
  struct stat st;
  if (lstat(name, &st) != 0) return errno == ENOENT || errno == ENOTDIR ? 1 : 2;
  if (S_ISDIR(st.st_mode)) return 2;
  if (::unlink(name) == 0) return 0;
  return errno == ENOENT ? 1 : 2;
}

int rename(const char* newName, const char* oldName) {
  if (!newName || !oldName) return 2;
  struct stat st;
  if (lstat(oldName, &st) != 0) return errno == ENOENT || errno == ENOTDIR ? 1 : 2;
  // Like the host OS the suite was made for, renaming never replaces an
  // existing file: callers erase the target first when they mean it. The
  // kernel checks that atomically where the file system supports it.
  if (::renameat2(AT_FDCWD, oldName, AT_FDCWD, newName, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno == ENOENT && lstat(oldName, &st) != 0 ? 1 : 2;
  if (lstat(newName, &st) == 0) return 2;
  if (::rename(oldName, newName) == 0) return 0;
  return errno == ENOENT ? 1 : 2;
}

bool exists(const char* name) {
  struct stat st;
  return name && ::stat(name, &st) == 0;
}

bool isDirectory(const char* name) {
  struct stat st;
  return name && ::stat(name, &st) == 0 && S_ISDIR(st.st_mode);
}

bool currentDirectory(char* dest, size_t cap) {
  if (!dest || cap == 0) return false;
  if (::getcwd(dest, cap) == nullptr) {
    dest[0] = 0;
    return false;
  }
  return true;
}

bool setCurrentDirectory(const char* path) { return path && ::chdir(path) == 0; }

bool fullPath(const char* path, char* dest, size_t cap) {
  if (!path || !dest || cap == 0) return false;
  std::string joined;
  if (path[0] != '/') {
    char cwd[PATH_MAX];
    if (!currentDirectory(cwd, sizeof cwd)) return false;
    joined = cwd;
    joined += '/';
  }
  joined += path;
  // Lexical normalisation: split on '/', drop "." and empty parts, pop on "..".
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= joined.size()) {
    size_t j = joined.find('/', i);
    if (j == std::string::npos) j = joined.size();
    std::string part = joined.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out;
  for (const auto& p : parts) out += "/" + p;
  if (out.empty()) out.push_back('/');
  // A trailing separator on the input is kept: it marks a directory.
  size_t len = std::strlen(path);
  if (len > 0 && path[len - 1] == '/' && out.back() != '/') out += '/';
  if (out.size() + 1 > cap) return false;
  std::memcpy(dest, out.c_str(), out.size() + 1);
  return true;
}

bool programDirectory(char* dest, size_t cap) {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return false;
  buf[n] = 0;
  char* slash = std::strrchr(buf, '/');
  if (!slash) return false;
  slash[1] = 0;
  size_t len = std::strlen(buf);
  if (len + 1 > cap) return false;
  std::memcpy(dest, buf, len + 1);
  return true;
}

uint32_t milliseconds() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void sleep(uint32_t ms) {
  if (ms == 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void yield() { std::this_thread::yield(); }

int32_t processId() { return static_cast<int32_t>(::getpid()); }

bool startProgram(const char* const* args) {
  if (!args || !args[0]) return false;
  // Double fork, so that the started program is not our child to reap: the
  // caller does not wait for it and no zombie is left behind. Between fork
  // and exec only async-signal-safe calls are made (the caller may have
  // other threads). The grandchild reports a failed exec through a pipe that
  // closes by itself on a successful one; the middle process turns that into
  // its exit status.
  pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    ::setsid();
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) _exit(126);
    pid_t grandchild = ::fork();
    if (grandchild < 0) _exit(126);
    if (grandchild == 0) {
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      signal(SIGPIPE, SIG_DFL);
      signal(SIGCHLD, SIG_DFL);
      ::execv(args[0], const_cast<char* const*>(args));
      int err = errno;
      (void)!::write(report[1], &err, sizeof err);
      _exit(127);
    }
    ::close(report[1]);
    int err = 0;
    ssize_t n;
    do {
      n = ::read(report[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    _exit(n > 0 ? 127 : 0);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return true;  // reaped elsewhere (SIGCHLD ignored): nothing to tell
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace os
TOL_NS_END
