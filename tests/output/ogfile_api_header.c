/* The public output header compiles as C, its record keeps the leading
 * fields at their places, and every function it declares is exported. */
#include <stddef.h>

#include "tol/ogfile.h"

_Static_assert(offsetof(OGFile, firstName) == 128, "firstName");
_Static_assert(offsetof(OGFile, summary) == 256, "summary");
_Static_assert(offsetof(OGFile, trueColor) == 512, "trueColor");
_Static_assert(offsetof(OGFile, framesWritten) == 540, "framesWritten");
_Static_assert(offsetof(OGFile, error) == 556, "error");

const void* const ogfile_api_functions[] = {
    (const void*)OGFileCreate, (const void*)OGFilePut, (const void*)OGFilePutSoundAmount,
    (const void*)OGFilePutSound, (const void*)OGFileClose,
};
