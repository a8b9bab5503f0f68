#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/alloc.h"
#include "platform/os.h"
#include "util/copydata.h"

TOL_NS_BEGIN

struct CopyDataReceiver {
  int fd;
  char path[sizeof(sockaddr_un::sun_path)];
};

namespace {

void putLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t getLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

bool socketAddress(intptr_t window, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  return copyDataSocketPath(window, addr.sun_path, sizeof addr.sun_path);
}

int datagramSocket() { return ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0); }

}  // namespace

bool copyDataSocketPath(intptr_t window, char* dest, size_t destSize) {
  if (!dest || destSize == 0) return false;
  dest[0] = 0;
  if (window <= 0) return false;
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  if (!dir || !*dir) dir = "/tmp";
  int n = std::snprintf(dest, destSize, "%s/tolvideo-%lld.sock", dir, static_cast<long long>(window));
  if (n > 0 && static_cast<size_t>(n) < destSize) return true;
  dest[0] = 0;
  return false;
}

int32_t CopyData(intptr_t window, intptr_t /*sender*/, uint32_t tag, uint32_t size, const void* data) {
  if (size > kCopyDataMaxSize || (size > 0 && !data)) return 0;
  sockaddr_un addr;
  if (!socketAddress(window, addr)) return 0;
  int fd = datagramSocket();
  if (fd < 0) return 0;
  uint8_t header[kCopyDataHeaderSize];
  putLE32(header, tag);
  putLE32(header + 4, size);
  iovec iov[2] = {{header, sizeof header}, {const_cast<void*>(data), size}};
  msghdr msg{};
  msg.msg_name = &addr;
  msg.msg_namelen = sizeof addr;
  msg.msg_iov = iov;
  msg.msg_iovlen = size > 0 ? 2 : 1;
  ssize_t sent;
  do {
    // Never block: a receiver whose queue is full just misses the message.
    sent = ::sendmsg(fd, &msg, MSG_DONTWAIT | MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  ::close(fd);
  return sent == static_cast<ssize_t>(sizeof header + size) ? 1 : 0;
}

CopyDataReceiver* CopyDataListen(intptr_t window) {
  sockaddr_un addr;
  if (!socketAddress(window, addr)) return nullptr;
  int fd = datagramSocket();
  if (fd < 0) return nullptr;
  // Ids are process ids, so a socket file of this id that belongs to this
  // user was left behind by a process that has gone.
  struct stat st;
  if (::lstat(addr.sun_path, &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid()) ::unlink(addr.sun_path);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return nullptr;
  }
  ::chmod(addr.sun_path, 0600);
  auto* r = static_cast<CopyDataReceiver*>(tolmalloc(sizeof(CopyDataReceiver)));
  if (!r) {
    ::close(fd);
    ::unlink(addr.sun_path);
    return nullptr;
  }
  r->fd = fd;
  std::memcpy(r->path, addr.sun_path, sizeof r->path);
  return r;
}

int32_t CopyDataReceive(CopyDataReceiver* r, uint32_t* tag, void* dest, uint32_t capacity, uint32_t* size,
                        int32_t timeoutMs) {
  if (!r) return -1;
  const uint32_t start = os::milliseconds();
  for (;;) {
    int wait = -1;
    if (timeoutMs >= 0) {
      uint32_t elapsed = os::milliseconds() - start;
      wait = elapsed >= static_cast<uint32_t>(timeoutMs) ? 0 : static_cast<int>(timeoutMs - elapsed);
    }
    pollfd p{r->fd, POLLIN, 0};
    int ready = ::poll(&p, 1, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return -1;
    if (ready == 0) return 0;
    uint8_t header[kCopyDataHeaderSize];
    iovec iov[2] = {{header, sizeof header}, {dest, dest ? capacity : 0}};
    msghdr msg{};
    msg.msg_iov = iov;
    msg.msg_iovlen = 2;
    // MSG_TRUNC: the full length of the datagram even when the data was cut.
    ssize_t n = ::recvmsg(r->fd, &msg, MSG_DONTWAIT | MSG_TRUNC);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n < 0) return -1;
    if (n < static_cast<ssize_t>(sizeof header) || getLE32(header + 4) != static_cast<uint64_t>(n) - sizeof header)
      continue;
    if (tag) *tag = getLE32(header);
    if (size) *size = getLE32(header + 4);
    return 1;
  }
}

int32_t CopyDataDescriptor(CopyDataReceiver* r) { return r ? r->fd : -1; }

void CopyDataClose(CopyDataReceiver* r) {
  if (!r) return;
  ::close(r->fd);
  ::unlink(r->path);
  tolfree(r);
}

TOL_NS_END
