/* The public graphics input header compiles as C. */
#include "tol/gfile.h"

int gfileHeaderIsC(const GFile* g) { return g->width + g->palette[0] + (int)sizeof(GFile); }
