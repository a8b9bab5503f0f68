/* The public sound input header compiles as C, and every function it
 * declares is exported by tolutil (the test program would not link
 * otherwise). */
#include "tol/sfile.h"

const void* const sfile_api_functions[] = {
    (const void*)SFileOpen, (const void*)SFileGet, (const void*)SFileReset,
    (const void*)SFileClose, (const void*)SFileCommandLine,
};
