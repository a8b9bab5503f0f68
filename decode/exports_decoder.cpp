// tolutil's exported Zurn decoder functions.
#include "decode/zurn_decoder.h"
#include "tol/zurndecoder.h"

namespace {
tol::ZurnDecoder* inner(ZurnDecoder* d) { return static_cast<tol::ZurnDecoder*>(d); }
}  // namespace

TOLAPI(ZurnDecoder*) ZurnDecoderOpen(const void* source, uint32_t flags) {
  return tol::ZurnDecoderOpen(source, flags);
}
TOLAPI(ZurnDecoder*) ZurnDecoderOpenWithReadAhead(const void* source, uint32_t flags, uint32_t readAheadBytes) {
  return tol::ZurnDecoderOpenWithReadAhead(source, flags, readAheadBytes);
}
TOLAPI(void) ZurnDecoderSelectTrack(int32_t id) { tol::ZurnDecoderSelectTrack(id); }
TOLAPI(int32_t) ZurnDecoderDecodeFrame(ZurnDecoder* decoder) { return tol::ZurnDecoderDecodeFrame(inner(decoder)); }
TOLAPI(void) ZurnDecoderNextFrame(ZurnDecoder* decoder) { tol::ZurnDecoderNextFrame(inner(decoder)); }
TOLAPI(void) ZurnDecoderGoto(ZurnDecoder* decoder, int32_t frame, uint32_t flags) {
  tol::ZurnDecoderGoto(inner(decoder), frame, flags);
}
TOLAPI(int32_t)
ZurnDecoderCopyToSurface(ZurnDecoder* decoder, void* destination, int32_t pitch, int32_t destinationHeight,
                         int32_t x, int32_t y, uint32_t flags) {
  return tol::ZurnDecoderCopyToSurface(inner(decoder), destination, pitch, destinationHeight, x, y, flags);
}
TOLAPI(void) ZurnDecoderSetVideo(ZurnDecoder* decoder, int32_t on) { tol::ZurnDecoderSetVideo(inner(decoder), on); }
TOLAPI(int32_t) ZurnDecoderPause(ZurnDecoder* decoder, int32_t on) { return tol::ZurnDecoderPause(inner(decoder), on); }
TOLAPI(uint32_t) ZurnDecoderTrackFlags(ZurnDecoder* decoder, int32_t track) {
  return tol::ZurnDecoderTrackFlags(inner(decoder), track);
}
TOLAPI(uint32_t) ZurnDecoderTrackId(ZurnDecoder* decoder, int32_t track) {
  return tol::ZurnDecoderTrackId(inner(decoder), track);
}
TOLAPI(void) ZurnDecoderClose(ZurnDecoder* decoder) { tol::ZurnDecoderClose(inner(decoder)); }
TOLAPI(const char*) ZurnDecoderGetError(void) { return tol::ZurnDecoderGetError(); }
