#include "tol2exe/bundle.h"

#include <cstdio>

namespace tol2exe {

std::string shellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string bundleScript(const std::vector<Piece>& pieces, const std::string& player, const std::string& switches) {
  // The payload starts after the text; offsets are written with a fixed
  // width so that the text's length does not depend on them. Two passes:
  // the first measures the text.
  std::string text;
  for (int pass = 0; pass < 2; ++pass) {
    const uint64_t start = text.size();
    text = "#!/bin/sh\n"
           "# A self-playing video: the player, its libraries and the videos follow this text.\n"
           "d=$(mktemp -d \"${TMPDIR:-/tmp}/tolvideo.XXXXXX\") || exit 1\n"
           "trap 'rm -rf \"$d\"' EXIT\n"
           "mkdir -p \"$d/bin\" \"$d/lib\" \"$d/video\" || exit 1\n"
           "piece() { tail -c +$(($2 + 1)) \"$0\" | head -c \"$3\" > \"$d/$1\"; }\n";
    uint64_t offset = start;
    std::string videos;
    for (const Piece& p : pieces) {
      char line[64];
      std::snprintf(line, sizeof line, " %12llu %12llu\n", static_cast<unsigned long long>(offset),
                    static_cast<unsigned long long>(p.size));
      text += "piece " + shellQuote(p.target) + line;
      offset += p.size;
      if (p.target.rfind("video/", 0) == 0) videos += " \"$d/\"" + shellQuote(p.target);
    }
    text += "chmod +x \"$d/bin/\"" + shellQuote(player) + "\n";
    text += "LD_LIBRARY_PATH=\"$d/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}\" \"$d/bin/\"" + shellQuote(player) +
            videos + (switches.empty() ? "" : " " + switches) + " \"$@\"\n";
    text += "exit $?\n";
  }
  return text;
}

}  // namespace tol2exe
