/* The public headers compile as C, and every function they declare is
 * exported by the shared library (the program would not link otherwise). */
#include "tol/pleven.h"
#include "tol/plevenwriter.h"

const void* const pleven_api_functions[] = {
    (const void*)PlevOpen,         (const void*)PlevClose,         (const void*)PlevSetDestination,
    (const void*)PlevDecodeFrame,  (const void*)PlevNextFrame,     (const void*)PlevGotoFrame,
    (const void*)PlevTrackSound,   (const void*)PlevWriterCreate,  (const void*)PlevWriterPutFrame,
    (const void*)PlevWriterClose,
};
const unsigned pleven_api_function_count = sizeof pleven_api_functions / sizeof pleven_api_functions[0];
