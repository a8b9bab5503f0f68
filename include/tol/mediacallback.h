/* The message callback of the media readers and writers (graphics input,
 * sound input, output files), supplied by the tool.
 *
 * kind 0: a progress line; kind 1: a progress line that starts a new run;
 * kind 2: an error; kind 3 (no text): the user refused to replace a file.
 * A non-zero answer to a progress line asks to cancel where the caller looks
 * at it. A null callback means silence.
 *
 * Adaptation: the answer is a 32-bit value (the byte it stood for is its low
 * byte; any non-zero value counts). */
#ifndef TOL_MEDIACALLBACK_H
#define TOL_MEDIACALLBACK_H

#include "tol/api.h"

typedef int32_t(TOL_CC* TOLMediaCallback)(const char* text, int32_t kind);

#define TOL_MESSAGE_PROGRESS 0
#define TOL_MESSAGE_FIRST_PROGRESS 1
#define TOL_MESSAGE_ERROR 2
#define TOL_MESSAGE_REFUSED 3

#endif
