// The order in which the kinds are tried on a single file.
#include <cstring>

#include <cstdio>

#include "platform/os.h"
#include "media/gfile_probes.h"
#include "util/paths.h"
#include "util/text.h"

TOL_NS_BEGIN

namespace {

constexpr uint32_t kHeadSize = 12;

// What a file's first bytes must be for a reader to take it; kinds whose
// readers check more than leading bytes, or none, are always tried. Only
// saves the readers' own opening work.
bool flc(const uint8_t* h, uint32_t) { return (h[4] == 0x11 || h[4] == 0x12) && h[5] == 0xAF; }
bool pleven(const uint8_t* h, uint32_t) { return std::memcmp(h, "PLV2", 4) == 0; }
bool zurn(const uint8_t* h, uint32_t) { return std::memcmp(h, "ZRNf", 4) == 0; }
bool bmp(const uint8_t* h, uint32_t) { return h[0] == 'B' && h[1] == 'M'; }
bool pcx(const uint8_t* h, uint32_t) { return h[0] == 10; }
bool png(const uint8_t* h, uint32_t) { return std::memcmp(h, "\x89PNG\r\n\x1a\n", 8) == 0; }
bool avi(const uint8_t* h, uint32_t) { return std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "AVI ", 4) == 0; }
bool wave(const uint8_t* h, uint32_t) { return std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "WAVE", 4) == 0; }
bool tiff(const uint8_t* h, uint32_t) {
  return (h[0] == 'I' && h[1] == 'I' && (h[2] == 42 || h[2] == 43) && h[3] == 0) ||
         (h[0] == 'M' && h[1] == 'M' && h[2] == 0 && (h[3] == 42 || h[3] == 43));
}
bool gif(const uint8_t* h, uint32_t) { return std::memcmp(h, "GIF", 3) == 0; }
bool jpeg(const uint8_t* h, uint32_t) { return h[0] == 0xFF && h[1] == 0xD8; }
bool raw(const uint8_t* h, uint32_t) { return std::memcmp(h, "RAWB", 4) == 0; }
bool tga(const uint8_t* h, uint32_t) { return h[1] <= 1 && (h[2] & ~15u) == 0 && (h[2] & 7) >= 1 && (h[2] & 7) <= 3; }
// A movie's first box has a size of 0 (to the end), 1 (64 bits follow) or
// from 8 to the file's size.
bool movie(const uint8_t* h, uint32_t fileSize) {
  const uint32_t size = uint32_t(h[0]) << 24 | uint32_t(h[1]) << 16 | uint32_t(h[2]) << 8 | h[3];
  return fileSize >= 8 && (size <= 1 || (size >= 8 && size <= fileSize));
}

struct Probe {
  const char* extension;  // appended to a name without one; null: the name as passed
  ProbeFunction open;
  bool (*mayBe)(const uint8_t* head, uint32_t fileSize);  // null: always tried
  bool sound;                          // a WAVE file skips the probes before this one
};

const Probe kProbes[] = {
    {nullptr, probeFlic, flc, false},  // the FLIC reader tries its own extensions
    {".plv", probePleven, pleven, false},
    {".zrn", probeZurn, zurn, false},
    {".bmp", probeBmp, bmp, false},
    {".pcx", probePcx, pcx, false},
    {".png", probePng, png, false},
    {".tga", probeTga, tga, false},
    {".avi", probeAvi, avi, false},
    {".mov", probeQuickTime, movie, false},
    {".tif", probeTif, tiff, false},
    {".gif", probeGif, gif, false},
    {".jpg", probeJpeg, jpeg, false},
    {".wav", probeSoundOnly, nullptr, true},
    {".raw", probeRaw, raw, false},
};

// The first bytes of a file (zeros past its end); false when it cannot be
// opened, so that its probe decides for itself.
bool readHead(const char* name, uint8_t* head, uint32_t& fileSize) {
  os::File f = os::openExisting(name, false);
  if (f == os::kInvalidFile) return false;
  std::memset(head, 0, kHeadSize);
  os::read(f, head, kHeadSize);
  const int64_t size = os::seek(f, 0, SEEK_END);
  fileSize = size < 0 ? 0 : size > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
  os::close(f);
  return true;
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
  char headOf[GFILE_NAME_SIZE] = {};
  uint8_t head[kHeadSize];
  uint32_t fileSize = 0;
  bool headRead = false;
  auto headFor = [&](const char* file) {
    if (std::strcmp(file, headOf) != 0) {
      headRead = readHead(file, head, fileSize);
      std::strcpy(headOf, file);
    }
    return headRead;
  };
  // A name with an extension names a file that must exist.
  if (HasExtension(name) && !headFor(name)) return false;
  bool skipToSound = completeName(name, ".wav", candidate) && headFor(candidate) && wave(head, fileSize);
  for (const Probe& p : kProbes) {
    if (skipToSound && !p.sound) continue;
    skipToSound = false;
    if (!completeName(name, p.extension, candidate)) continue;
    if (p.mayBe && headFor(candidate) && !p.mayBe(head, fileSize)) continue;
    result = ProbeResult{};
    copyCut(result.name, GFILE_NAME_SIZE, candidate, std::strlen(candidate));
    ProbeOutcome outcome = p.open(candidate, result);
    if (outcome == ProbeOutcome::Accepted) {
      result.fileSize = headFor(result.name) ? fileSize : 0;
      return true;
    }
    if (outcome == ProbeOutcome::Failed) return false;
  }
  return false;
}

TOL_NS_END
