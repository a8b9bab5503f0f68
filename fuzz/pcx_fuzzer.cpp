// Arbitrary bytes read as a PCX file (see still_fuzz.h).
#include "still_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return stillfuzz::run(data, size, tol::pcxInfo, tol::pcxLoad);
}
