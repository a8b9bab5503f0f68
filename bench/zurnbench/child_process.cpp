#include "child_process.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

namespace zurnbench {
namespace {

constexpr size_t kKeep = 64 * 1024;

// Reads a pipe to its end, keeping the last kKeep bytes.
void drain(int fd, std::string& into) {
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) != 0;) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    into.append(buf, size_t(n));
    if (into.size() > 2 * kKeep) into.erase(0, into.size() - kKeep);
  }
  if (into.size() > kKeep) into.erase(0, into.size() - kKeep);
  close(fd);
}

std::string lastLine(const std::string& text) {
  std::string t = text;
  while (!t.empty() && (t.back() == '\n' || t.back() == '\r' || t.back() == ' ')) t.pop_back();
  const size_t cut = t.find_last_of("\r\n");
  return cut == std::string::npos ? t : t.substr(cut + 1);
}

// Reads the peak resident set ("VmHWM") of a process that is still alive.
long peakResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

// Waits for a traced child to end. It stops once more just before it
// exits, with its memory still there: that is when its peak is read.
// Signal stops pass their signal on.
int waitTraced(pid_t pid, bool traced, rusage& usage, long& peakKiB) {
  int status = 0;
  for (;;) {
    if (wait4(pid, &status, 0, &usage) < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (!WIFSTOPPED(status)) return status;
    int signal = WSTOPSIG(status);
    const int event = status >> 16;
    if (event == PTRACE_EVENT_EXIT) peakKiB = peakResidentKiB(pid);
    if (event != 0) signal = 0;
    if (traced) ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(intptr_t(signal)));
  }
}

}  // namespace

std::string ChildRun::failure() const {
  if (!started) return "could not be started";
  if (timedOut) return "timed out";
  std::ostringstream s;
  if (exitCode < 0)
    s << "killed by a signal";
  else
    s << "exit code " << exitCode;
  const std::string line = lastLine(err.empty() ? out : err);
  if (!line.empty()) s << ": " << line;
  return s.str();
}

ChildRun runChild(const std::vector<std::string>& argv, double timeoutSeconds, const std::string& stdoutPath) {
  ChildRun run;
  // Pipes: the child's standard output and error, and a go signal that lets
  // the child run its program only once the tracer is attached.
  int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1}, goPipe[2] = {-1, -1};
  auto closeAll = [&] {
    for (int* p : {outPipe, errPipe, goPipe})
      for (int i = 0; i < 2; ++i)
        if (p[i] >= 0) close(p[i]), p[i] = -1;
  };
  if (pipe2(errPipe, O_CLOEXEC) != 0 || pipe2(goPipe, O_CLOEXEC) != 0 ||
      (stdoutPath.empty() && pipe2(outPipe, O_CLOEXEC) != 0)) {
    closeAll();
    return run;
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = stdoutPath.empty() ? outPipe[1] : open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char go;
    close(goPipe[1]);
    if (in < 0 || out < 0 || read(goPipe[0], &go, 1) != 1) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(errPipe[1], 2);
    execvp(args[0], args.data());
    _exit(127);
  }
  if (pid < 0) {
    closeAll();
    return run;
  }
  // The peak memory of the program itself: getrusage's ru_maxrss would also
  // count what the child inherited from this process before its exec.
  const bool traced =
      ptrace(PTRACE_SEIZE, pid, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL)) == 0;
  const auto start = std::chrono::steady_clock::now();
  const char go = 1;
  const bool released = write(goPipe[1], &go, 1) == 1;
  close(errPipe[1]);
  errPipe[1] = -1;
  if (outPipe[1] >= 0) close(outPipe[1]), outPipe[1] = -1;
  if (!released) kill(pid, SIGKILL);

  std::thread errReader(drain, errPipe[0], std::ref(run.err));
  std::thread outReader;
  if (outPipe[0] >= 0) outReader = std::thread(drain, outPipe[0], std::ref(run.out));

  // A watchdog kills the child when it overruns.
  std::mutex m;
  std::condition_variable cv;
  bool finished = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> lock(m);
    if (!cv.wait_for(lock, std::chrono::duration<double>(timeoutSeconds), [&] { return finished; })) {
      run.timedOut = true;
      kill(pid, SIGKILL);
    }
  });

  rusage usage{};
  const int status = waitTraced(pid, traced, usage, run.peakKiB);
  run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  {
    std::lock_guard<std::mutex> lock(m);
    finished = true;
  }
  cv.notify_all();
  watchdog.join();
  errReader.join();
  if (outReader.joinable()) outReader.join();
  errPipe[0] = outPipe[0] = -1;  // closed by the readers
  closeAll();

  run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  run.exitCode = status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.started = released && !(run.exitCode == 127 && run.err.empty());
  return run;
}

bool onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

std::string selfPath() {
  std::error_code ec;
  const auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

int pinToOneProcessor() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return -1;
  // The last allowed processor: the first one tends to take more interrupts.
  int cpu = -1;
  for (int i = 0; i < CPU_SETSIZE; ++i)
    if (CPU_ISSET(i, &set)) cpu = i;
  if (cpu < 0) return -1;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  return sched_setaffinity(0, sizeof set, &set) == 0 ? cpu : -1;
}

}  // namespace zurnbench
