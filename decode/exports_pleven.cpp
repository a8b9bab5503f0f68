// tolutil's exported Pleven decoder: thin wrappers over decode/pleven_decoder.h.
#include "decode/pleven_decoder.h"
#include "tol/pleven.h"

namespace {
tol::PlevDecoder* inner(PlevDecoder* d) { return static_cast<tol::PlevDecoder*>(d); }
}  // namespace

TOLAPI(PlevDecoder*) PlevOpen(const void* source, uint32_t options, int32_t bufferSize) {
  return tol::PlevOpen(source, options, bufferSize);
}
TOLAPI(void) PlevClose(PlevDecoder* decoder) { tol::PlevClose(inner(decoder)); }
TOLAPI(int32_t) PlevSetDestination(PlevDecoder* decoder, int32_t x, int32_t y, int32_t pitch, int32_t height,
                                   void* buffer, uint32_t mode) {
  return tol::PlevSetDestination(inner(decoder), x, y, pitch, height, buffer, mode);
}
TOLAPI(int32_t) PlevDecodeFrame(PlevDecoder* decoder) { return tol::PlevDecodeFrame(inner(decoder)); }
TOLAPI(void) PlevNextFrame(PlevDecoder* decoder) { tol::PlevNextFrame(inner(decoder)); }
TOLAPI(void) PlevGotoFrame(PlevDecoder* decoder, int32_t n) { tol::PlevGotoFrame(inner(decoder), n); }
TOLAPI(int32_t) PlevTrackSound(PlevDecoder* decoder, void* destination, uint32_t trackOption) {
  return tol::PlevTrackSound(inner(decoder), destination, trackOption);
}
