// tolsiw: what this machine offers the suite: processor and the vector
// extensions the pixel kernels use, cores, memory, display, SDL video and
// audio drivers and devices, the suite's version and library paths.
//
//   tolsiw [--json]
#include <cstdio>
#include <cstring>

#include "tolsiw/gather.h"

namespace {

const char kUsage[] =
    "tolsiw: system information for the video tools\n"
    "usage: tolsiw [--json]\n"
    "  --json   write the report as JSON instead of text\n"
    "  /?, --help  show this text\n";

}  // namespace

int main(int argc, char** argv) {
  bool json = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--json") || !std::strcmp(argv[i], "/json")) {
      json = true;
    } else if (!std::strcmp(argv[i], "/?") || !std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      std::fprintf(stderr, "tolsiw: unknown switch %s\n%s", argv[i], kUsage);
      return 2;
    }
  }
  tolsiw::Report report = tolsiw::gatherSystemReport();
  std::fputs((json ? tolsiw::formatJson(report) : tolsiw::formatText(report)).c_str(), stdout);
  return 0;
}
