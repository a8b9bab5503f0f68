// Status lines between processes: the sender, the receiver and the datagram
// layout between them.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "util/copydata.h"

namespace {

// Points XDG_RUNTIME_DIR at a fresh folder for the test. Socket paths are
// limited to 107 bytes, so the folder is a short one under /tmp.
class CopyDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    char pattern[] = "/tmp/tolcd.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (hadOld_)
      ::setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
    else
      ::unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(dir_);
  }
  std::string socketPath(intptr_t id) const { return dir_ + "/tolvideo-" + std::to_string(id) + ".sock"; }

  // A plain datagram socket bound where a receiver of this id would be.
  int bindRaw(intptr_t id) {
    int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, socketPath(id).c_str());
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    return fd;
  }
  void sendRaw(intptr_t id, const std::vector<uint8_t>& bytes) {
    int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, socketPath(id).c_str());
    EXPECT_EQ(::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr),
              static_cast<ssize_t>(bytes.size()));
    ::close(fd);
  }

  const intptr_t id_ = ::getpid();
  std::string dir_;

 private:
  bool hadOld_ = false;
  std::string old_;
};

struct Received {
  int32_t result = -2;
  uint32_t tag = 0, size = 0;
  std::string data;
};
Received receive(tol::CopyDataReceiver* r, uint32_t capacity = 256, int32_t timeoutMs = 1000) {
  Received out;
  std::vector<char> buf(capacity + 1, 0);
  out.result = tol::CopyDataReceive(r, &out.tag, buf.data(), capacity, &out.size, timeoutMs);
  if (out.result == 1) out.data.assign(buf.data(), std::min(out.size, capacity));
  return out;
}

}  // namespace

TEST_F(CopyDataTest, SocketPathFollowsTheRuntimeDirectory) {
  char path[108];
  ASSERT_TRUE(tol::copyDataSocketPath(1234, path, sizeof path));
  EXPECT_EQ(std::string(path), dir_ + "/tolvideo-1234.sock");
  ::unsetenv("XDG_RUNTIME_DIR");
  ASSERT_TRUE(tol::copyDataSocketPath(1234, path, sizeof path));
  EXPECT_STREQ(path, "/tmp/tolvideo-1234.sock");
  ::setenv("XDG_RUNTIME_DIR", "", 1);
  ASSERT_TRUE(tol::copyDataSocketPath(1234, path, sizeof path));
  EXPECT_STREQ(path, "/tmp/tolvideo-1234.sock");
  EXPECT_FALSE(tol::copyDataSocketPath(0, path, sizeof path));
  EXPECT_FALSE(tol::copyDataSocketPath(-5, path, sizeof path));
  EXPECT_FALSE(tol::copyDataSocketPath(1234, path, 10));
  EXPECT_STREQ(path, "");
}

TEST_F(CopyDataTest, StatusLineArrivesWithItsTag) {
  tol::CopyDataReceiver* r = tol::CopyDataListen(id_);
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(std::filesystem::exists(socketPath(id_)));
  std::string line = "Compressor - a.avi\r\n  Done.";
  EXPECT_EQ(tol::CopyData(id_, 99, 4660, static_cast<uint32_t>(line.size() + 1), line.c_str()), 1);
  EXPECT_EQ(tol::CopyData(id_, 99, 7, 0, nullptr), 1);
  Received m = receive(r);
  EXPECT_EQ(m.result, 1);
  EXPECT_EQ(m.tag, 4660u);
  EXPECT_EQ(m.size, line.size() + 1);
  EXPECT_EQ(m.data, std::string(line.c_str(), line.size() + 1));
  m = receive(r);
  EXPECT_EQ(m.result, 1);
  EXPECT_EQ(m.tag, 7u);
  EXPECT_EQ(m.size, 0u);
  EXPECT_EQ(receive(r, 256, 0).result, 0);  // nothing more
  EXPECT_GE(tol::CopyDataDescriptor(r), 0);
  tol::CopyDataClose(r);
  EXPECT_FALSE(std::filesystem::exists(socketPath(id_)));
}

TEST_F(CopyDataTest, DatagramIsTagSizeThenData) {
  int fd = bindRaw(id_);
  const char data[] = {'a', 'b', 'c'};
  ASSERT_EQ(tol::CopyData(id_, 0, 0x12345678, 3, data), 1);
  uint8_t buf[64];
  ssize_t n = ::recv(fd, buf, sizeof buf, 0);
  ::close(fd);
  ASSERT_EQ(n, 11);
  EXPECT_EQ(std::vector<uint8_t>(buf, buf + 11),
            (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12, 3, 0, 0, 0, 'a', 'b', 'c'}));
}

TEST_F(CopyDataTest, NobodyListeningGivesZero) {
  const char text[] = "x";
  EXPECT_EQ(tol::CopyData(id_, 0, 4660, 2, text), 0);
  EXPECT_EQ(tol::CopyData(0, 0, 4660, 2, text), 0);
  EXPECT_EQ(tol::CopyData(-1, 0, 4660, 2, text), 0);
  // A socket file whose owner has gone.
  ::close(bindRaw(id_));
  EXPECT_EQ(tol::CopyData(id_, 0, 4660, 2, text), 0);
}

TEST_F(CopyDataTest, RefusesDataThatCannotBeAMessage) {
  tol::CopyDataReceiver* r = tol::CopyDataListen(id_);
  ASSERT_NE(r, nullptr);
  std::vector<char> big(tol::kCopyDataMaxSize + 1, 'x');
  EXPECT_EQ(tol::CopyData(id_, 0, 1, static_cast<uint32_t>(big.size()), big.data()), 0);
  EXPECT_EQ(tol::CopyData(id_, 0, 1, 5, nullptr), 0);
  EXPECT_EQ(tol::CopyData(id_, 0, 1, tol::kCopyDataMaxSize, big.data()), 1);
  Received m = receive(r, 16);
  EXPECT_EQ(m.result, 1);
  EXPECT_EQ(m.size, tol::kCopyDataMaxSize);  // full size, data cut to capacity
  EXPECT_EQ(m.data, std::string(16, 'x'));
  tol::CopyDataClose(r);
}

TEST_F(CopyDataTest, MalformedDatagramsAreDropped) {
  tol::CopyDataReceiver* r = tol::CopyDataListen(id_);
  ASSERT_NE(r, nullptr);
  sendRaw(id_, {1, 2, 3});                                 // shorter than the header
  sendRaw(id_, {1, 0, 0, 0, 9, 0, 0, 0, 'a'});             // size says 9, one byte follows
  sendRaw(id_, {5, 0, 0, 0, 2, 0, 0, 0, 'o', 'k'});
  Received m = receive(r);
  EXPECT_EQ(m.result, 1);
  EXPECT_EQ(m.tag, 5u);
  EXPECT_EQ(m.data, "ok");
  sendRaw(id_, {1, 2});
  EXPECT_EQ(receive(r, 256, 0).result, 0);
  tol::CopyDataClose(r);
}

TEST_F(CopyDataTest, ListenReplacesAStaleSocketFile) {
  ::close(bindRaw(id_));
  ASSERT_TRUE(std::filesystem::exists(socketPath(id_)));
  tol::CopyDataReceiver* r = tol::CopyDataListen(id_);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(tol::CopyData(id_, 0, 1, 1, "z"), 1);
  EXPECT_EQ(receive(r).data, "z");
  tol::CopyDataClose(r);
}

TEST_F(CopyDataTest, ReceiveTimesOutAndRejectsNull) {
  tol::CopyDataReceiver* r = tol::CopyDataListen(id_);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(receive(r, 16, 20).result, 0);
  tol::CopyDataClose(r);
  EXPECT_EQ(tol::CopyDataReceive(nullptr, nullptr, nullptr, 0, nullptr, 0), -1);
  EXPECT_EQ(tol::CopyDataDescriptor(nullptr), -1);
  tol::CopyDataClose(nullptr);
  EXPECT_EQ(tol::CopyDataListen(0), nullptr);
}
