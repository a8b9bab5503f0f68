#include "encoder/file_guard.h"

#include <atomic>

#include "platform/os.h"

TOL_NS_BEGIN
namespace {

std::atomic_ref<uint8_t> busy(ZurnMakeState& job) { return std::atomic_ref<uint8_t>(job.writeBusy); }
std::atomic_ref<int32_t> wanted(ZurnMakeState& job) { return std::atomic_ref<int32_t>(job.flushWanted); }

}  // namespace

WriterGuard::WriterGuard(ZurnMakeState& job) : job_(job) {
  for (;;) {
    busy(job).fetch_add(1);
    if (wanted(job).load() == 0) return;
    busy(job).fetch_sub(1);
    while (wanted(job).load() != 0) os::yield();
  }
}

WriterGuard::~WriterGuard() { busy(job_).fetch_sub(1); }

bool beginFlush(ZurnMakeState& job, uint32_t timeoutMs) {
  wanted(job).fetch_add(1);
  const uint32_t start = os::milliseconds();
  for (;;) {
    if (busy(job).load() == 0 && wanted(job).load() == 1) return true;
    if (os::milliseconds() - start >= timeoutMs) {
      wanted(job).fetch_sub(1);
      return false;
    }
    os::sleep(1);
  }
}

void endFlush(ZurnMakeState& job) { wanted(job).fetch_sub(1); }

TOL_NS_END
