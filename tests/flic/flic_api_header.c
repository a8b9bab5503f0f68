/* The public FLIC header compiles as C, and every function it declares is
 * exported by tolutil (the test program would not link otherwise). */
#include "tol/flic.h"

const void* const flic_api_functions[] = {
    (const void*)TOLFlicOpen,    (const void*)TOLFlicGetNext, (const void*)TOLFlicGoto,
    (const void*)TOLFlicGetPalette, (const void*)TOLFlicGetName, (const void*)TOLFlicClose,
    (const void*)TOLOFlicCreate, (const void*)TOLOFlicPutNext, (const void*)TOLOFlicClose,
};
