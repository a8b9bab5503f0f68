/* The record behind a Huffman tree handle (include/tol/huffman.h). Callers
 * may read its fields; the library owns them. */
#ifndef TOL_HUFFMAN_RECORD_H
#define TOL_HUFFMAN_RECORD_H

#include <stdint.h>

#include "tol/tolfile_record.h"

typedef struct HuffTree {
  TOLFile* output;             /* where descriptions and codes go */
  uint32_t bitCount;           /* bits coded since the last build, plus 8 per node described */
  struct HuffTree* lowTree;    /* 16-bit tree: codes the low bytes of leaf values; else null */
  struct HuffTree* highTree;   /* 16-bit tree: codes the high bytes; else null */
  uint32_t lasts[3];           /* the three most recently coded values, most recent first */
  uint32_t escapes[3];         /* while gathering: uses of each escape; once built: the escape values */
  uint32_t* codes;             /* while gathering: counts; once built: codes, first bit in bit 0 */
  uint8_t* lengths;            /* code lengths once built; 255: no code */
  int32_t hasStats;            /* set by the first HuffAddStat */
  int32_t tooDeep;             /* set when a code would be longer than 30 bits */
  uint32_t valuesCoded;        /* 1 per code (byte tree) or 2 (16-bit tree) since the last build */
  uint32_t valueCount;         /* 256 or 65536 */
} HuffTree;

#endif
