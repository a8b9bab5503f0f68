// Input layout: 8 control bytes, then the file's bytes.
//   0: bit 0 headerless PCM (else WAVE); bits 1-2 delivered rate (source's,
//      8000, 22050, 44100); bits 3-4 delivered bits (source's, 8, 16);
//      bits 5-6 delivered channels (source's, 1, 2)
//   1: headerless format bits (stereo, 16-bit) and rate choice
//   2-3: start, 4-5: end (16-bit; the top bit makes them frame numbers)
//   6-7: headerless offset
// Everything delivered is read (with a reset and a second pass), and each
// result must be whole frames of the delivered format.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/sfile.h"

namespace {

const std::string& scratchName() {
  static const std::string name = "/tmp/sfile_fuzz_" + std::to_string(getpid()) + ".wav";
  return name;
}

int32_t selection(const uint8_t* p) {
  const int32_t v = p[0] | (p[1] & 0x7F) << 8;
  return p[1] & 0x80 ? -v : v;
}

// Reads until the end or a bound on the bytes delivered (a 1 Hz source
// delivered at 44100 Hz would otherwise take long).
void drain(tol::SFile* s) {
  static uint8_t buffer[4096 + 3];
  uint64_t total = 0;
  while (total < (uint64_t{1} << 22)) {
    const uint32_t request = 1 + static_cast<uint32_t>(total % 4096);
    const uint32_t n = tol::SFileGet(s, buffer, request);
    if (n == 0) break;
    if (n > request || n % static_cast<uint32_t>(s->outBlock) != 0) std::abort();
    total += n;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  FILE* f = std::fopen(scratchName().c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data + 8, 1, size - 8, f);
  std::fclose(f);

  static const int32_t rates[] = {0, 8000, 22050, 44100};
  static const int32_t widths[] = {0, 8, 16, 12};
  static const int32_t counts[] = {0, 1, 2, 3};
  const int32_t rate = rates[(data[0] >> 1) & 3], bits = widths[(data[0] >> 3) & 3],
                channels = counts[(data[0] >> 5) & 3];
  uint32_t raw = 0;
  if (data[0] & 1) raw = (data[1] & 3) | static_cast<uint32_t>(data[1] >> 2) * 1000u << 3;
  const uint32_t offset = data[6] | data[7] << 8;

  tol::SFile* s = tol::SFileOpen(scratchName().c_str(), rate, bits, channels, selection(data + 2),
                                 selection(data + 4), 0, raw, offset, nullptr);
  if (!s) {
    std::remove(scratchName().c_str());
    return 0;
  }
  if ((s->outBits != 8 && s->outBits != 16) || (s->outChannels != 1 && s->outChannels != 2)) std::abort();
  drain(s);
  tol::SFileReset(s);
  drain(s);
  tol::SFileClose(s);
  std::remove(scratchName().c_str());
  return 0;
}
