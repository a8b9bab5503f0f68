// tolutil's exported QuickTime frame and sound readers.
#include "media/quicktime_frames.h"
#include "media/quicktime_sound.h"
#include "tol/quicktime.h"

TOLAPI(QTFile*) QTFileOpen(const char* name) { return tol::QTFileOpen(name); }
TOLAPI(int32_t) QTFileGet(QTFile* file) { return tol::QTFileGet(file); }
TOLAPI(void) QTFileGoto(QTFile* file, int32_t frame) { tol::QTFileGoto(file, frame); }
TOLAPI(void) QTFileClose(QTFile* file) { tol::QTFileClose(file); }

TOLAPI(QTSFile*) QTSFileOpen(const char* name, int32_t track) { return tol::QTSFileOpen(name, track); }
TOLAPI(uint32_t) QTSFileGet(QTSFile* file, void* buffer, uint32_t bytes) {
  return tol::QTSFileGet(file, buffer, bytes);
}
TOLAPI(void) QTSFileGoto(QTSFile* file, int32_t milliseconds) { tol::QTSFileGoto(file, milliseconds); }
TOLAPI(void) QTSFileClose(QTSFile* file) { tol::QTSFileClose(file); }

TOLAPI(void) TOLQTShutdown(void) {}
