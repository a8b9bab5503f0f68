// tol2exe: writes a self-playing program from a player, its switches and
// video files, as the launcher's video-to-EXE dialog asks:
//
//   tol2exe "PLAYER" "OUTPUT" "SWITCHES" "VIDEO" ... [/o] [/#n]
//
// PLAYER is the player program (a bare name is looked for beside tol2exe);
// /o replaces an existing OUTPUT.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tol2exe/bundle.h"

namespace fs = std::filesystem;

namespace {

// The suite's own libraries the player loads (the system's are there
// already where the player runs).
std::vector<std::string> suiteLibraries(const std::string& player) {
  std::vector<std::string> found;
  FILE* p = popen(("ldd " + tol2exe::shellQuote(player) + " 2>/dev/null").c_str(), "r");
  if (!p) return found;
  char line[1024];
  while (std::fgets(line, sizeof line, p)) {
    const char* arrow = std::strstr(line, "=> /");
    if (!arrow) continue;
    std::string path = arrow + 3;
    path = path.substr(0, path.find(' '));
    const std::string name = fs::path(path).filename().string();
    if (name.rfind("libtolutil", 0) == 0 || name.rfind("libzurnmake", 0) == 0) found.push_back(path);
  }
  pclose(p);
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words;
  bool overwrite = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "/o") == 0 || std::strcmp(argv[i], "/O") == 0) overwrite = true;
    else if (std::strncmp(argv[i], "/#", 2) == 0) continue;
    else words.push_back(argv[i]);
  }
  if (words.size() < 4) {
    std::fputs("usage: tol2exe PLAYER OUTPUT \"SWITCHES\" VIDEO ... [/o]\n\n"
               "Writes OUTPUT, a program that plays the videos with the player and\n"
               "its switches when started; /o replaces an existing OUTPUT.\n",
               stderr);
    return 2;
  }
  std::string player = words[0];
  if (!fs::exists(player) && player.find('/') == std::string::npos)
    player = (fs::read_symlink("/proc/self/exe").parent_path() / player).string();
  const std::string output = words[1];
  if (!fs::exists(player)) {
    std::fprintf(stderr, "tol2exe: no player program %s\n", player.c_str());
    return 1;
  }
  if (fs::exists(output) && !overwrite) {
    std::fprintf(stderr, "tol2exe: %s exists (use /o to replace it)\n", output.c_str());
    return 1;
  }

  std::vector<tol2exe::Piece> pieces;
  const std::string playerName = fs::path(player).filename().string();
  pieces.push_back({player, "bin/" + playerName});
  for (const std::string& lib : suiteLibraries(player)) pieces.push_back({lib, "lib/" + fs::path(lib).filename().string()});
  for (size_t i = 3; i < words.size(); ++i)
    pieces.push_back({words[i], "video/" + std::to_string(i - 2) + "_" + fs::path(words[i]).filename().string()});
  std::error_code ec;
  for (tol2exe::Piece& p : pieces) {
    p.size = fs::file_size(p.source, ec);
    if (ec) {
      std::fprintf(stderr, "tol2exe: cannot read %s\n", p.source.c_str());
      return 1;
    }
  }
  // Each switch word quoted for the shell.
  std::string switches;
  for (size_t at = 0; at < words[2].size();) {
    const size_t begin = words[2].find_first_not_of(' ', at);
    if (begin == std::string::npos) break;
    const size_t end = std::min(words[2].find(' ', begin), words[2].size());
    switches += (switches.empty() ? "" : " ") + tol2exe::shellQuote(words[2].substr(begin, end - begin));
    at = end;
  }

  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out << tol2exe::bundleScript(pieces, playerName, switches);
  for (const tol2exe::Piece& p : pieces) {
    std::ifstream in(p.source, std::ios::binary);
    out << in.rdbuf();
  }
  out.close();
  if (!out) {
    std::fprintf(stderr, "tol2exe: cannot write %s\n", output.c_str());
    fs::remove(output, ec);
    return 1;
  }
  chmod(output.c_str(), 0755);
  std::printf("%s: %s with %zu video file(s)\n", output.c_str(), playerName.c_str(), words.size() - 3);
  return 0;
}
