/* The public header compiles as C, and every function it declares is
 * exported by the shared library (the program would not link otherwise). */
#include <stddef.h>

#include "tol/zurnmake.h"

const void* const zurnmake_api_functions[] = {
    (const void*)ZurnMake,      (const void*)ZurnMakePutVideo, (const void*)ZurnMakeFlush,
    (const void*)ZurnMakeClose, (const void*)tolmalloc,        (const void*)tolfree,
};
const unsigned zurnmake_api_function_count = sizeof zurnmake_api_functions / sizeof zurnmake_api_functions[0];

/* The leading fields of the job record, in order, as hosts read them. */
const size_t zurnmake_record_offsets[] = {
    offsetof(ZurnMakeState, failed),     offsetof(ZurnMakeState, frameCount),
    offsetof(ZurnMakeState, framesWritten), offsetof(ZurnMakeState, bytesWritten),
    offsetof(ZurnMakeState, progressFrame), offsetof(ZurnMakeState, outputName),
    offsetof(ZurnMakeState, tempName),   offsetof(ZurnMakeState, width),
};
