/* The progress record of the Zurn sound mixer. During ZurnMix the callback
 * (kind 1, text "") and every readSound receive a pointer to this record as
 * their handle argument, in place of an encoder job. */
#ifndef TOL_ZURNMIX_RECORD_H
#define TOL_ZURNMIX_RECORD_H

#include <stdint.h>

typedef struct ZurnMixProgress {
  uint32_t frame;    /* the frame being mixed, from 0 */
  uint32_t position; /* where the frame starts in the new file */
} ZurnMixProgress;

#endif
