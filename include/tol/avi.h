/* AVI support of tolutil. The AVI stream calls themselves are internal
 * (media/avi_file.h); callers outside the library only start it. */
#ifndef TOL_AVI_H
#define TOL_AVI_H

#include "tol/api.h"

/* Prepares the AVI layer once per process; later calls do nothing. The AVI
 * calls also work without it. */
TOLAPI(void) TOLAVIInit(void);

#endif
