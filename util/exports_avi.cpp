// tolutil's exported AVI start-up.
#include "media/avi_file.h"
#include "tol/avi.h"

TOLAPI(void) TOLAVIInit(void) { tol::AVIInit(); }
