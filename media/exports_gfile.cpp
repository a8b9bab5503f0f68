// Exported graphics input: thin wrappers over the library's own functions.
#include "media/gfile.h"
#include "tol/gfile.h"

TOLAPI(GFile*) GFileOpen(const char* name, uint32_t flags, int32_t inRateNum, int32_t inRateDen, int32_t outRateNum,
                         int32_t outRateDen, int32_t x, int32_t y, int32_t width, int32_t height, int32_t first,
                         int32_t last, int32_t paletteMode, int32_t paletteInterval, int32_t paletteFirst,
                         int32_t paletteCount, int32_t paletteOverlap, int32_t systemColours, int32_t mode24,
                         const char* paletteFile, const char* verb, TOLMediaCallback callback) {
  return tol::GFileOpen(name, flags, inRateNum, inRateDen, outRateNum, outRateDen, x, y, width, height, first, last,
                        paletteMode, paletteInterval, paletteFirst, paletteCount, paletteOverlap, systemColours,
                        mode24, paletteFile, verb, callback);
}

TOLAPI(int32_t) GFileGet(GFile* handle) { return handle ? tol::GFileGet(*tol::state(handle)) : 0; }

TOLAPI(void) GFileReset(GFile* handle) {
  if (handle) tol::GFileReset(*tol::state(handle));
}

TOLAPI(void) GFileClose(GFile* handle) {
  if (handle) tol::GFileClose(tol::state(handle));
}

TOLAPI(int32_t) GFileBestPalette(GFile* analysisReader, uint8_t* palette, const uint8_t* frameBuffer, int32_t width,
                                 int32_t height, int32_t pitch, int32_t leftMargin, int32_t topMargin,
                                 int32_t rightExcess, int32_t bottomExcess) {
  if (!analysisReader || !palette) return 0;
  return tol::GFileBestPalette(*tol::state(analysisReader), palette, frameBuffer, width, height, pitch, leftMargin,
                               topMargin, rightExcess, bottomExcess);
}

TOLAPI(void) GFileCommandLine(char* commandLine, int32_t* inRateNum, int32_t* inRateDen, int32_t* outRateNum,
                              int32_t* outRateDen, int32_t* x, int32_t* y, int32_t* width, int32_t* height,
                              int32_t* first, int32_t* last, uint8_t* paletteMode, int32_t* paletteInterval,
                              int32_t* paletteFirst, int32_t* paletteCount, int32_t* paletteOverlap,
                              uint8_t* systemColours, uint8_t* mode24, char* paletteFile) {
  tol::GFileCommandLine(commandLine, inRateNum, inRateDen, outRateNum, outRateDen, x, y, width, height, first, last,
                        paletteMode, paletteInterval, paletteFirst, paletteCount, paletteOverlap, systemColours,
                        mode24, paletteFile);
}
