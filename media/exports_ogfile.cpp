// Exported output files: thin wrappers over the library's own functions.
#include "media/ogfile.h"
#include "tol/ogfile.h"

TOLAPI(OGFile*) OGFileCreate(void* parentWindow, const char* name, int32_t trueColor, int32_t frameCount,
                             int32_t rateNum, int32_t rateDen, int32_t width, int32_t height, int32_t inputPitch,
                             TOLMediaCallback callback, uint32_t flags) {
  return tol::OGFileCreate(parentWindow, name, trueColor, frameCount, rateNum, rateDen, width, height, inputPitch,
                           callback, flags);
}
TOLAPI(void) OGFilePut(OGFile* handle, const void* pixels, const uint8_t* palette) {
  tol::OGFilePut(handle, pixels, palette);
}
TOLAPI(uint32_t) OGFilePutSoundAmount(OGFile* handle, int32_t rate, int32_t bits, int32_t channels) {
  return tol::OGFilePutSoundAmount(handle, rate, bits, channels);
}
TOLAPI(int32_t) OGFilePutSound(OGFile* handle, const void* samples, uint32_t bytes) {
  return tol::OGFilePutSound(handle, samples, bytes);
}
TOLAPI(uint32_t) OGFileClose(OGFile* handle) { return tol::OGFileClose(handle); }
