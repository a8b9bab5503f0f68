// Arbitrary bytes written to a file and opened as a graphics input. The
// first byte chooses the extension the file gets and the delivery (true
// colour or palettised, with or without palette analysis and the working
// copy); the rest is the file. Every frame the handle announces is fetched
// (up to a bound), then the handle is rewound and fetched again once.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/gfile.h"

namespace {

const char* const kExtensions[16] = {".raw", ".avi", ".png", ".bmp", ".gif", ".jpg", ".tga", ".pcx",
                                     ".tif", ".flc", ".plv", ".zrn", ".mov", ".wav", ".lst", ""};

void checkFrame(const GFile* g) {
  // The delivered frame is readable to its last row.
  if (!g->frameBuffer) std::abort();
  volatile uint8_t sink = g->frameBuffer[static_cast<size_t>(g->pitch) * g->height - 1];
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const std::string base = "/tmp/tol_gfile_fuzz_" + std::to_string(::getpid());
  const uint8_t choice = data[0];
  const std::string name = base + kExtensions[choice & 15];
  FILE* out = std::fopen(name.c_str(), "wb");
  if (!out) return 0;
  std::fwrite(data + 1, 1, size - 1, out);
  std::fclose(out);

  const uint32_t flags = (choice >> 4) & 1;
  const int32_t paletteMode = (choice >> 5) & 1 ? 2 : 0;
  const int32_t interval = (choice >> 6) & 1 ? 3 : 0;
  const int32_t mode24 = (choice >> 7) & 1;
  GFile* g = tol::GFileOpen(name.c_str(), flags, 0, 0, 0, 0, (choice & 2) ? -3 : 0, 0, 0, 0, 0, 0, paletteMode,
                            interval, 0, 256, (choice & 4) ? 16 : 0, 0, mode24, nullptr, nullptr, nullptr);
  if (g) {
    tol::GFileState& s = *tol::state(g);
    for (int pass = 0; pass < 2; ++pass) {
      const int32_t frames = g->outFrameCount < 40 ? g->outFrameCount : 40;
      for (int32_t k = 0; k < frames; ++k)
        if (tol::GFileGet(s)) checkFrame(g);
      tol::GFileReset(s);
    }
    tol::GFileClose(&s);
  }
  std::remove(name.c_str());
  return 0;
}
