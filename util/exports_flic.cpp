// tolutil's exported FLIC reader and writer: thin wrappers over media/.
#include "media/flic_reader.h"
#include "media/flic_writer.h"
#include "tol/flic.h"

TOLAPI(TOLFlic*) TOLFlicOpen(const char* name) { return tol::TOLFlicOpen(name); }
TOLAPI(int32_t) TOLFlicGetNext(TOLFlic* flic, uint8_t* buffer) { return tol::TOLFlicGetNext(flic, buffer); }
TOLAPI(int32_t) TOLFlicGoto(TOLFlic* flic, int32_t frame, uint8_t* buffer) {
  return tol::TOLFlicGoto(flic, frame, buffer);
}
TOLAPI(uint8_t*) TOLFlicGetPalette(TOLFlic* flic) { return tol::TOLFlicGetPalette(flic); }
TOLAPI(const char*) TOLFlicGetName(TOLFlic* flic, char* out) { return tol::TOLFlicGetName(flic, out); }
TOLAPI(void) TOLFlicClose(TOLFlic* flic) { tol::TOLFlicClose(flic); }

TOLAPI(TOLOFlic*) TOLOFlicCreate(const char* name, int32_t width, int32_t height, int32_t speed) {
  return tol::TOLOFlicCreate(name, width, height, speed);
}
TOLAPI(int32_t) TOLOFlicPutNext(TOLOFlic* writer, const uint8_t* pixels, const uint8_t* palette) {
  return tol::TOLOFlicPutNext(writer, pixels, palette);
}
TOLAPI(uint32_t) TOLOFlicClose(TOLOFlic* writer) { return tol::TOLOFlicClose(writer); }
