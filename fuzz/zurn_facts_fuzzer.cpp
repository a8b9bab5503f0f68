// Arbitrary bytes as a Zurn file read by the players' and tolinfo's reader
// of the header, tracks and frame index; what it accepts must hang together.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/zurn_facts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string name = "/tmp/zurn_facts_fuzz_" + std::to_string(getpid()) + ".zrn";
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  tolapp::ZurnFacts facts;
  std::string error;
  if (tolapp::readZurnFacts(name, facts, error)) {
    uint64_t total = 0;
    for (uint32_t i = 0; i < facts.frames; ++i) {
      total += facts.frameBytes[i];
      uint64_t sound = 0;
      for (const auto& track : facts.soundBytes) sound += track[i];
      if (sound + facts.videoBytes[i] != facts.frameBytes[i]) std::abort();
    }
    if (total > facts.fileSize || facts.peakSecondBytes() > total) std::abort();
    if (facts.keyAtOrBefore(facts.frames) >= facts.frames || facts.keyAfter(0) > facts.frames) std::abort();
  }
  return 0;
}
