// tolinfo: tells everything about files of any kind the suite reads, as
// text or, with --json, as one JSON object a line.
//
//   tolinfo [--json] [/#n] "FILE" ...
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tolinfo/file_info.h"

int main(int argc, char** argv) {
  bool json = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) json = true;
    else if (std::strncmp(argv[i], "/#", 2) == 0) continue;  // the launcher's window
    else if (std::strcmp(argv[i], "/?") == 0 || std::strcmp(argv[i], "--help") == 0) files.clear(), argc = 0;
    else files.push_back(argv[i]);
  }
  if (files.empty()) {
    std::fputs("usage: tolinfo [--json] FILE ...\n\nTells the kind, size, picture, frames, rates, key frames,\n"
               "sound tracks, largest frame and peak one-second data rate of each file.\n",
               stderr);
    return 2;
  }
  int status = 0;
  for (size_t f = 0; f < files.size(); ++f) {
    tolinfo::FileInfo info;
    std::string error;
    if (!tolinfo::gatherFileInfo(files[f], info, error)) {
      std::fprintf(stderr, "tolinfo: %s: %s\n", files[f].c_str(), error.c_str());
      status = 1;
      continue;
    }
    if (!json && f) std::fputc('\n', stdout);
    std::fputs(json ? tolinfo::infoJson(info).c_str() : tolinfo::infoText(info).c_str(), stdout);
  }
  return status;
}
