// Runs a tool program as the launcher would, without a terminal, and keeps
// what it wrote.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "testutil.h"

namespace {

struct Outcome {
  int code = -1;
  std::string out, err;
};

std::string readText(const std::string& path) {
  const std::vector<uint8_t> bytes = testutil::readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// Runs a program in `folder` with no terminal: stdin is /dev/null, stdout
// and stderr are kept.
Outcome runIn(const std::string& folder, std::vector<std::string> args) {
  const std::string outPath = folder + "/stdout.txt", errPath = folder + "/stderr.txt";
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open("/dev/null", O_RDONLY), out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
              err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || chdir(folder.c_str()) != 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
        dup2(err, 2) < 0)
      _exit(127);
    execv(argv[0], argv.data());
    _exit(127);
  }
  Outcome r;
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return r;
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = readText(outPath);
  r.err = readText(errPath);
  return r;
}

}  // namespace
