#include "tolinfo/file_info.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>

#include "common/zurn_facts.h"
#include "tol/gfile.h"
#include "tol/sfile.h"

namespace tolinfo {
namespace {

std::string lastError;  // the readers' last message

int32_t TOL_CC keepError(const char* text, int32_t kind) {
  if (kind == TOL_MESSAGE_ERROR && text && lastError.empty()) lastError = text;
  return 0;
}

bool gatherZurn(const std::string& name, FileInfo& info) {
  tolapp::ZurnFacts z;
  std::string error;
  if (!tolapp::readZurnFacts(name, z, error)) return false;
  info.kind = "Zurn";
  info.kindCode = GFILE_KIND_ZURN;
  info.size = z.fileSize;
  info.width = int32_t(z.width);
  info.height = int32_t(z.lineMode == 0 ? z.height : 2 * z.height);
  info.frames = int32_t(z.frames);
  info.rateNum = int32_t(z.fpsNumerator);
  info.rateDen = int32_t(z.fpsDenominator);
  info.keyFrames = int32_t(std::count(z.keyFrame.begin(), z.keyFrame.end(), 1));
  for (const tolapp::ZurnTrackFacts& t : z.tracks)
    info.tracks.push_back({int64_t(t.id), int32_t(t.rate), int32_t(t.bits), int32_t(t.channels), t.bytes});
  info.largestFrame = z.largestFrame;
  info.peakSecondBytes = z.peakSecondBytes();
  return true;
}

// Reads every frame through the graphics input for the frame sizes.
bool gatherPictures(const std::string& name, FileInfo& info) {
  GFile* g = GFileOpen(name.c_str(), GFILE_TRUE_COLOR, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr,
                       nullptr, keepError);
  if (!g) return false;
  info.kind = g->typeName;
  info.kindCode = g->kind;
  info.size = g->fileSize;
  info.width = g->inputWidth;
  info.height = g->inputHeight;
  info.frames = g->frameCount;
  info.rateNum = g->fileRateNum ? g->fileRateNum : g->inRateNum;
  info.rateDen = g->fileRateNum ? g->fileRateDen : g->inRateDen;
  const uint32_t run = std::max<uint32_t>(1, uint32_t(std::lround(info.rateDen ? double(info.rateNum) / info.rateDen : 1)));
  std::deque<uint64_t> window;
  uint64_t sum = 0;
  for (int32_t i = 0; i < g->frameCount && GFileGet(g); ++i) {
    const uint64_t bytes = uint64_t(std::max(0, g->frameBytes));
    info.largestFrame = std::max(info.largestFrame, bytes);
    window.push_back(bytes);
    sum += bytes;
    if (window.size() > run) {
      sum -= window.front();
      window.pop_front();
    }
    info.peakSecondBytes = std::max(info.peakSecondBytes, sum);
  }
  GFileClose(g);
  return true;
}

void gatherSound(const std::string& name, FileInfo& info) {
  SFile* s = SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, keepError);
  if (!s) return;
  if (info.kind.empty()) info.kind = s->typeName;
  info.tracks.push_back({-1, s->srcRate, s->srcBits, s->srcChannels, s->length});
  SFileClose(s);
}

void jsonString(std::string& out, const std::string& text) {
  out += '"';
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += char(c);
    }
  }
  out += '"';
}

}  // namespace

bool gatherFileInfo(const std::string& name, FileInfo& info, std::string& error) {
  info = FileInfo{};
  lastError.clear();
  info.name = name;
  if (gatherZurn(name, info)) return true;
  if (gatherPictures(name, info) && info.kindCode == GFILE_KIND_SOUND_ONLY) {
    info = FileInfo{};  // a sound file: its picture track is made up
    info.name = name;
  }
  gatherSound(name, info);
  if (info.kind.empty()) {
    error = lastError.empty() ? "not a file of any kind this suite reads" : lastError;
    return false;
  }
  if (info.kindCode == 0) {
    info.rateNum = 0;
    if (FILE* f = std::fopen(name.c_str(), "rb")) {
      std::fseek(f, 0, SEEK_END);
      info.size = uint64_t(std::ftell(f));
      std::fclose(f);
    }
  }
  return true;
}

std::string infoText(const FileInfo& i) {
  char line[512];
  std::string out;
  auto add = [&](const char* format, auto... values) {
    std::snprintf(line, sizeof line, format, values...);
    out += line;
  };
  add("File: %s\nKind: %s\nSize: %llu bytes\n", i.name.c_str(), i.kind.c_str(), (unsigned long long)i.size);
  if (i.frames > 0) {
    add("Picture: %d x %d\nFrames: %d\nFrame rate: %d/%d (%.3f per second)\nLength: %.3f s\n", i.width, i.height,
        i.frames, i.rateNum, i.rateDen, i.rateDen ? double(i.rateNum) / i.rateDen : 0.0, i.seconds());
    if (i.keyFrames >= 0) add("Key frames: %d\n", i.keyFrames);
    add("Largest frame: %llu bytes\nPeak one-second data rate: %llu bytes\n", (unsigned long long)i.largestFrame,
        (unsigned long long)i.peakSecondBytes);
    if (i.seconds() > 0) add("Average data rate: %.0f bytes per second\n", double(i.size) / i.seconds());
  }
  for (size_t t = 0; t < i.tracks.size(); ++t) {
    const TrackInfo& k = i.tracks[t];
    add("Sound track %zu: %d Hz, %d bits, %s", t + 1, k.rate, k.bits, k.channels == 2 ? "stereo" : "mono");
    if (k.id >= 0) add(", id %lld", (long long)k.id);
    if (k.bytes) add(", %llu bytes", (unsigned long long)k.bytes);
    out += '\n';
  }
  if (i.tracks.empty()) out += "Sound: none\n";
  return out;
}

std::string infoJson(const FileInfo& i) {
  char number[64];
  std::string out = "{\"file\": ";
  jsonString(out, i.name);
  out += ", \"kind\": ";
  jsonString(out, i.kind);
  auto field = [&](const char* key, long long value) {
    std::snprintf(number, sizeof number, ", \"%s\": %lld", key, value);
    out += number;
  };
  field("kindCode", i.kindCode);
  field("size", (long long)i.size);
  field("width", i.width);
  field("height", i.height);
  field("frames", i.frames);
  field("rateNumerator", i.rateNum);
  field("rateDenominator", i.rateDen);
  std::snprintf(number, sizeof number, ", \"seconds\": %.6f", i.seconds());
  out += number;
  if (i.keyFrames >= 0) field("keyFrames", i.keyFrames);
  else out += ", \"keyFrames\": null";
  field("largestFrame", (long long)i.largestFrame);
  field("peakSecondBytes", (long long)i.peakSecondBytes);
  out += ", \"tracks\": [";
  for (size_t t = 0; t < i.tracks.size(); ++t) {
    const TrackInfo& k = i.tracks[t];
    std::snprintf(number, sizeof number, "%s{\"rate\": %d, \"bits\": %d, \"channels\": %d", t ? ", " : "", k.rate,
                  k.bits, k.channels);
    out += number;
    if (k.id >= 0) field("id", k.id);
    field("bytes", (long long)k.bytes);
    out += '}';
  }
  out += "]}\n";
  return out;
}

}  // namespace tolinfo
