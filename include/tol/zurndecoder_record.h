/* The public leading part of a Zurn decoder record. A decoder handle points
 * to a record that starts with these fields; callers may read them and must
 * not write them. The rest of the record is private to the library. */
#ifndef TOL_ZURNDECODER_RECORD_H
#define TOL_ZURNDECODER_RECORD_H

#include <stdint.h>

typedef struct ZurnDecoder {
  int32_t width;            /* frame width in pixels */
  int32_t height;           /* frame height in pixels, doubled when line doubling is on */
  int32_t frames;           /* number of frames in the file */
  int32_t currentFrame;     /* the current frame, 1-based */
  int32_t lastDecoded;      /* the frame last decoded (0 before the first decode) */
  uint32_t flags;           /* the open flags, with the line-mode bits as resolved at open */
  int32_t fpsNumerator;     /* frame rate as a reduced fraction */
  int32_t fpsDenominator;
} ZurnDecoder;

/* Open flags. */
#define ZURNDEC_NO_READ_AHEAD   0x80000000u /* the background thread idles */
#define ZURNDEC_MEMORY_IMAGE    0x40000000u /* source points to the whole file in memory */
#define ZURNDEC_LINE_DOUBLING   0x20000000u /* show every coded line twice */
#define ZURNDEC_SECOND_LINE     0x10000000u /* second line mode (no effect on decoding) */
#define ZURNDEC_NO_LINE_MODE    0x30000000u /* both bits: neither line mode */
#define ZURNDEC_FILE_HANDLE     0x02000000u /* source is an open file handle */
#define ZURNDEC_NO_PREFILL      0x00800000u /* do not fill the read-ahead buffer at open */
#define ZURNDEC_SELECTED_TRACK  0x00200000u /* choose the track given to ZurnDecoderSelectTrack */
#define ZURNDEC_LOAD_ALL        0x00100000u /* load all frames into memory at open */

/* Goto flag: fetch the frame without decoding the frames before it. */
#define ZURNDEC_GOTO_FETCH_ONLY 0x1u

/* Copy flags; the low 4 bits are the surface type of the YUV blitters. */
#define ZURNDEC_COPY_TYPE_MASK  0x0000000Fu
#define ZURNDEC_COPY_BOTTOM_UP  0x08000000u /* the destination's rows run bottom-up */
#define ZURNDEC_COPY_FULL       0x04000000u /* convert every pixel, not just the changed areas */
#define ZURNDEC_COPY_LINE_DOUBLING 0x20000000u /* decoded rows land on every second row */

#endif
