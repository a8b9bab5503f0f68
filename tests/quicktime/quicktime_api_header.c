/* The public QuickTime header compiles as C. */
#include "tol/quicktime.h"

#include <stddef.h>

typedef char pixels_follow_the_palette[offsetof(QTFile, pixels) == 1064 ? 1 : -1];
typedef char sound_fields_in_order[offsetof(QTSFile, bytesPerSampleFrame) == 24 ? 1 : -1];
