// The order in which the kinds are tried on a single file.
#include <cstring>

#include "fileio/tolfile.h"
#include "media/gfile_probes.h"
#include "util/paths.h"
#include "util/text.h"

TOL_NS_BEGIN

namespace {

struct Probe {
  const char* extension;  // appended to a name without one; null: the name as passed
  ProbeFunction open;
  bool sound;             // a WAVE file skips the probes before this one
};

const Probe kProbes[] = {
    {nullptr, probeFlic, false},  // the FLIC reader tries its own extensions
    {".plv", probePleven, false}, {".zrn", probeZurn, false},      {".bmp", probeBmp, false},
    {".pcx", probePcx, false},    {".png", probePng, false},       {".tga", probeTga, false},
    {".avi", probeAvi, false},    {".mov", probeQuickTime, false}, {".tif", probeTif, false},
    {".gif", probeGif, false},    {".jpg", probeJpeg, false},
    {".wav", probeSoundOnly, true},
    {".raw", probeRaw, false},
};

bool isWave(const char* name) {
  TOLFile* f = TOLFileOpen(0, name, TOLFILE_READ_ONLY);
  if (!f) return false;
  uint8_t head[12] = {};
  bool wave = TOLFileGetNB(f, head, 12) == 12 && std::memcmp(head, "RIFF", 4) == 0 &&
              std::memcmp(head + 8, "WAVE", 4) == 0;
  TOLFileClose(f);
  return wave;
}

// name with ext appended when it has no extension; false when it does not fit.
bool completeName(const char* name, const char* ext, char* dest) {
  size_t n = std::strlen(name);
  if (!ext || HasExtension(name)) return copyCut(dest, GFILE_NAME_SIZE, name, n);
  size_t e = std::strlen(ext);
  if (n + e >= GFILE_NAME_SIZE) return false;
  std::memcpy(dest, name, n);
  std::memcpy(dest + n, ext, e + 1);
  return true;
}

}  // namespace

bool runProbes(const char* name, ProbeResult& result) {
  char candidate[GFILE_NAME_SIZE];
  bool skipToSound = completeName(name, ".wav", candidate) && isWave(candidate);
  for (const Probe& p : kProbes) {
    if (skipToSound && !p.sound) continue;
    skipToSound = false;
    if (!completeName(name, p.extension, candidate)) continue;
    result = ProbeResult{};
    copyCut(result.name, GFILE_NAME_SIZE, candidate, std::strlen(candidate));
    ProbeOutcome outcome = p.open(candidate, result);
    if (outcome == ProbeOutcome::Accepted) return true;
    if (outcome == ProbeOutcome::Failed) return false;
  }
  return false;
}

TOL_NS_END
