// Keeps frame writes and header rewrites of one job apart. The host thread
// writes frames; ZurnMakeFlush may run on any other thread. Two counters in
// the job record, changed only atomically, do the work of a lock:
// - a writer raises writeBusy, and proceeds only while no flush is wanted;
// - a flusher raises flushWanted and proceeds once no writer is inside and
//   it is the only flusher, giving up after 250 ms.
// A writer that meets a waiting flusher steps back (lowers writeBusy) while
// it waits, so that the flusher gets the file as soon as the current writer
// leaves instead of both waiting for the flusher's time limit.
#pragma once

#include "platform/libns.h"
#include "tol/zurnmake_record.h"

TOL_NS_BEGIN

class WriterGuard {
 public:
  explicit WriterGuard(ZurnMakeState& job);
  ~WriterGuard();
  WriterGuard(const WriterGuard&) = delete;
  WriterGuard& operator=(const WriterGuard&) = delete;

 private:
  ZurnMakeState& job_;
};

// True when the flusher has the file to itself; then endFlush must follow.
bool beginFlush(ZurnMakeState& job, uint32_t timeoutMs = 250);
void endFlush(ZurnMakeState& job);

TOL_NS_END
