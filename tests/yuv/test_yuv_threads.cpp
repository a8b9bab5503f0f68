// Blits with different surface types on several threads at once give the
// same pixels as alone.
#include <gtest/gtest.h>

#include <iterator>
#include <thread>
#include <vector>

#include "decode/yuv.h"
#include "yuv_reference.h"

using namespace tol;
using yuvtest::Frame;

TEST(YuvThreads, ConcurrentBlitsOfDifferentTypes) {
  Frame f(128, 64);
  f.randomize(1);
  const int types[] = {kYuvRgb24, kYuvRgb32, kYuvRgb555, kYuvRgb664, kYuvYUY2, kYuvUYVY};
  std::vector<std::vector<uint8_t>> want;
  for (int type : types) {
    want.emplace_back(size_t(128) * 4 * 64, 0);
    yuvtest::referenceBlit(type, want.back().data(), 0, 0, 128 * 4, f, 2, 1, 120, 60);
  }
  std::vector<int> failures(std::size(types), 0);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < std::size(types); ++t)
    threads.emplace_back([&, t] {
      std::vector<uint8_t> d(want[t].size(), 0);
      for (int round = 0; round < 20; ++round) {
        const YuvIsa isa = YuvIsa(round % 3);
        std::fill(d.begin(), d.end(), 0);
        yuvBlit(types[t], isa, d.data(), 0, 0, 128 * 4, f.data(), 2, 1, 120, 60, 128, 64);
        failures[t] += d != want[t];
      }
    });
  for (auto& th : threads) th.join();
  for (size_t t = 0; t < std::size(types); ++t) EXPECT_EQ(failures[t], 0) << "type " << types[t];
}
