// Runs fn(row) for rows 0 .. count - 1 on up to `threads` threads (the
// calling thread included). Rows are handed out one at a time; fn must only
// touch what belongs to its row, so the results never depend on the number
// of threads or on their timing.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/libns.h"

TOL_NS_BEGIN

// The number of threads to use when the caller leaves it open (0).
inline uint32_t defaultThreads(uint32_t requested) {
  if (requested) return requested;
  const unsigned n = std::thread::hardware_concurrency();
  return std::clamp<unsigned>(n, 1, 16);
}

template <typename Fn>
void parallelRows(uint32_t count, uint32_t threads, Fn&& fn) {
  threads = std::min(threads, count);
  if (threads <= 1) {
    for (uint32_t r = 0; r < count; ++r) fn(r);
    return;
  }
  std::atomic<uint32_t> next{0};
  auto work = [&] {
    for (uint32_t r; (r = next.fetch_add(1)) < count;) fn(r);
  };
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  for (uint32_t t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (...) {
      break;  // fewer helpers; the rows still all get done
    }
  }
  work();
  for (std::thread& t : helpers) t.join();
}

TOL_NS_END
