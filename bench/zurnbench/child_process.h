// Runs another program (a peer codec's tool, or this program in one of its
// child roles) as a separate process and measures it: wall time, processor
// time and peak resident memory of that process alone.
#pragma once

#include <string>
#include <vector>

namespace zurnbench {

struct ChildRun {
  bool started = false;  // false: the program could not be run at all
  bool timedOut = false;
  int exitCode = -1;     // -1 when killed by a signal
  double wallSeconds = 0;
  double cpuSeconds = 0;  // user + system
  long peakKiB = -1;      // peak resident memory of the program; -1 when it could not be read
  std::string out, err;   // what it printed (stdout, stderr), cut to the last 64 KiB

  bool ok() const { return started && !timedOut && exitCode == 0; }
  // One line on what went wrong, for the report.
  std::string failure() const;
};

// Runs argv[0] (looked up in PATH) with stdin from /dev/null. stdoutPath,
// when given, receives its standard output instead of `out`. The process is
// killed after timeoutSeconds.
ChildRun runChild(const std::vector<std::string>& argv, double timeoutSeconds, const std::string& stdoutPath = {});

// True when a program of that name is on PATH.
bool onPath(const std::string& program);

// The path of this program, for running it in its child roles.
std::string selfPath();

// Keeps this process, and the children it starts, on one processor, so that
// every codec is measured on one core. Returns the processor, or -1.
int pinToOneProcessor();

}  // namespace zurnbench
