// Everything tolinfo tells about a file: what it is, its picture and sound,
// its frame sizes and data rates, gathered through the graphics and sound
// input (any accepted kind) and, for Zurn files, the file's own index; and
// the two ways of writing it down, text and JSON.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolinfo {

struct TrackInfo {
  int64_t id = -1;  // Zurn track id; -1 where the kind has none
  int32_t rate = 0, bits = 0, channels = 0;
  uint64_t bytes = 0;  // stored bytes of the track where known
};

struct FileInfo {
  std::string name;
  std::string kind;     // the reader's short description
  int32_t kindCode = 0; // GFILE_KIND_*, 0 for sound alone
  uint64_t size = 0;
  int32_t width = 0, height = 0;
  int32_t frames = 0;
  int32_t rateNum = 0, rateDen = 1;
  int32_t keyFrames = -1;  // -1: the kind has no key frames
  std::vector<TrackInfo> tracks;
  uint64_t largestFrame = 0;
  uint64_t peakSecondBytes = 0;

  double seconds() const { return rateNum > 0 && rateDen > 0 ? double(frames) * rateDen / rateNum : 0; }
};

// Fills info for a file; false with a message when no reader accepts it.
bool gatherFileInfo(const std::string& name, FileInfo& info, std::string& error);

std::string infoText(const FileInfo& info);
std::string infoJson(const FileInfo& info);

}  // namespace tolinfo
