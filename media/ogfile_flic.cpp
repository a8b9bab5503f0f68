// Output files: FLIC animations through the FLIC writer.
#include <algorithm>
#include <cstring>

#include "fileio/tolfile.h"
#include "media/flic_reader.h"
#include "media/flic_writer.h"
#include "media/ogfile.h"
#include "util/filechecks.h"
#include "util/paths.h"

TOL_NS_BEGIN
namespace ogfile {
namespace {

// The FLIC's rows: the width rounded up to a multiple of 4.
int32_t flicWidth(const OGFile& og) { return (og.width + 3) & ~3; }

// Minus the frame time in 1/100000 s, as the FLIC writer's speed argument.
int32_t flicSpeed(const OGFile& og) {
  const int64_t frameTime = int64_t{100000} * og.rateDen / og.rateNum;
  return -static_cast<int32_t>(std::min<int64_t>(frameTime, INT32_MAX));
}

// True when the finished file reads back as a FLIC of every frame written.
bool readsBack(const OGFile& og, const std::string& name, uint32_t size) {
  if (size == 0 || tolfilesize(name.c_str()) != size) return false;
  TOLFlic* flic = TOLFlicOpen(name.c_str());
  const bool ok = flic && flic->frameCount == og.framesWritten && flic->fileSize == size;
  TOLFlicClose(flic);
  return ok;
}

}  // namespace

bool flicCreate(OGFile& og, const char* name, uint32_t flags) {
  OGFileWork& w = *og.work;
  w.target = HasExtension(name) ? name : std::string(name) + ".flc";
  w.temp = temporaryName(w.target);
  if (w.temp.empty()) {
    message(og, kFlicFailed);
    return false;
  }
  std::strcpy(og.namePattern, w.target.c_str());
  std::strcpy(og.summary, w.target.c_str());
  if (!mayReplace(og, w.target.c_str(), flags)) return false;
  try {
    w.frame.assign(size_t(flicWidth(og)) * size_t(og.height), 0);
  } catch (const std::bad_alloc&) {
    message(og, kFlicFailed);
    return false;
  }
  og.flic = TOLOFlicCreate(w.temp.c_str(), flicWidth(og), og.height, flicSpeed(og));
  if (!og.flic) {
    message(og, kFlicFailed);
    return false;
  }
  return true;
}

void flicPut(OGFile& og, const uint8_t* pixels, const uint8_t* palette) {
  OGFileWork& w = *og.work;
  const size_t rowBytes = size_t(flicWidth(og));
  for (int32_t y = 0; y < og.height; ++y)
    std::memcpy(w.frame.data() + rowBytes * size_t(y), inputRow(og, pixels, y), size_t(og.width));
  if (!TOLOFlicPutNext(og.flic, w.frame.data(), palette) || og.flic->error) og.error = 1;
  og.bytesWritten = TOLFileSize(og.flic->file);
  ++og.framesWritten;
}

uint32_t flicClose(OGFile& og) {
  OGFileWork& w = *og.work;
  const bool failed = og.error || og.flic->error;
  const uint32_t size = TOLOFlicClose(og.flic);
  og.flic = nullptr;
  if (failed || !readsBack(og, w.temp, size) || !commitTemporary(w.temp, w.target)) {
    TOLFileErase(w.temp.c_str());
    return 0;
  }
  return size;
}

}  // namespace ogfile
TOL_NS_END
