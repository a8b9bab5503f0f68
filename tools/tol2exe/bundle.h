// A self-playing program: a POSIX shell script that carries a player, the
// suite's libraries it needs and the videos behind its text, and when run
// copies them into a scratch folder (tail and head cut each one out by its
// offset) and starts the player on the videos with the chosen switches.
// This stands in for a player with the videos appended to its program
// file: a program copied away from its libraries would not start here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tol2exe {

struct Piece {
  std::string source;  // file to embed
  std::string target;  // path in the scratch folder: bin/..., lib/..., video/...
  uint64_t size = 0;
};

// The script's text for the pieces (sizes filled in), run as
// bin/<player> "video/..." ... <switches> followed by the script's own
// arguments. Piece offsets count from the end of this text.
std::string bundleScript(const std::vector<Piece>& pieces, const std::string& player, const std::string& switches);

// Quotes a text for the shell.
std::string shellQuote(const std::string& text);

}  // namespace tol2exe
