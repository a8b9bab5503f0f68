#include "zurnconv/staged_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "common/command_line.h"

namespace zurnconv {
namespace {

std::string formatted(const std::string& pattern, int index) {
  const int n = std::snprintf(nullptr, 0, pattern.c_str(), index);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  std::snprintf(out.data(), out.size() + 1, pattern.c_str(), index);
  return out;
}

std::string processMarker() { return ".zc" + std::to_string(::getpid()) + "."; }

}  // namespace

StagedOutput::StagedOutput(const std::string& output) : output_(output), marker_(processMarker()) {
  const size_t slash = output.find_last_of('/');
  const size_t part = slash == std::string::npos ? 0 : slash + 1;
  folder_ = output.substr(0, part);
  temp_ = folder_ + marker_ + output.substr(part);
}

size_t StagedOutput::extraLength() { return processMarker().size(); }

void StagedOutput::setSeriesPattern(const std::string& stagedPattern) {
  stagedPattern_ = stagedPattern;
  finalPattern_ = stagedPattern;
  const size_t at = finalPattern_.rfind(marker_);
  if (at != std::string::npos) finalPattern_.erase(at, marker_.size());
}

std::string StagedOutput::stagedName(int index) const {
  return stagedPattern_.empty() ? temp_ : formatted(stagedPattern_, index);
}

std::string StagedOutput::finalName(int index) const {
  return finalPattern_.empty() ? output_ : formatted(finalPattern_, index);
}

bool StagedOutput::commit(int count, std::string& error) {
  for (int i = 0; i < count; ++i) {
    if (std::rename(stagedName(i).c_str(), finalName(i).c_str()) == 0) continue;
    error = tolapp::systemMessage(finalName(i), errno);
    // A series is complete or not there at all.
    for (int j = 0; j < i; ++j) std::remove(finalName(j).c_str());
    discard();
    return false;
  }
  return true;
}

void StagedOutput::discard() {
  std::error_code ec;
  const std::filesystem::path folder = folder_.empty() ? "." : folder_;
  std::vector<std::filesystem::path> staged;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    if (entry.path().filename().string().rfind(marker_, 0) == 0) staged.push_back(entry.path());
  for (const auto& p : staged) std::filesystem::remove(p, ec);
}

}  // namespace zurnconv
