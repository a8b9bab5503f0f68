/* The compressed-sound writer, exported by tolutil: reads a sound input
 * (include/tol/sfile.h) and writes it as chunks of delta-coded, optionally
 * lossy, Huffman-compressed samples (or raw samples), the sound chunks of
 * Pleven files.
 *
 * Usage: CSFileOpen, CSFileSetOutput, then CSFilePut once per chunk wanted
 * (each call writes one chunk at the output's position), CSFileClose.
 *
 * Sound given per pass: leading silence of delayMs, then lengthMs of the
 * input (0: the input's whole length); an input that ends early is started
 * again with loopInput set, otherwise the rest of the length is silence;
 * with repeat set the pass (silence, then sound) starts over once the
 * length is given. Levels 0 (lossless) to 9 trade accuracy for size: every
 * decoded sample is within the level's threshold of the input
 * (8-bit: 0 1 2 4 6 8 12 16 24 32; 16-bit: 0 4 8 16 64 128 256 512 1024
 * 2048).
 *
 * Adaptations: the record's pointers are native pointers, so it is larger
 * than 80 bytes on 64-bit builds. CSFilePut returns the sound bytes the
 * chunk holds. A loop that finds the input empty right after starting it
 * again gives silence instead of trying for ever, and a repeat of a pass
 * without delay and length ends the chunk. */
#ifndef TOL_CSFILE_H
#define TOL_CSFILE_H

#include "tol/api.h"
#include "tol/huffman_record.h"
#include "tol/mediacallback.h"
#include "tol/sfile.h"
#include "tol/tolfile_record.h"

typedef struct CSFile {
  SFile* input;             /* the sound input */
  int32_t raw;              /* chunks hold the samples uncompressed */
  int32_t fill;             /* silence: 128 for 8-bit sound, 0 for 16-bit */
  uint32_t delayLeft;       /* bytes of leading silence still to give, and in total */
  uint32_t delay;
  uint32_t left;            /* bytes of sound still to give in this pass, and in total */
  uint32_t length;
  uint32_t mask;            /* quantisation of the deltas */
  uint32_t threshold;
  int32_t loopInput;        /* start the input again when it ends early */
  int32_t repeat;           /* start delay and length again when the length is given */
  TOLFile* output;
  HuffTree* trees[4];       /* byte trees of the chunk coder */
  uint32_t lastSoundBytes;  /* of the most recent CSFilePut */
  uint32_t lastChunkSize;
  uint32_t totalSoundBytes; /* over all calls */
  uint32_t totalChunkBytes;
} CSFile;

/* level 0 to 9; loopInput, repeat: 0 or 1; delayMs, lengthMs: see above.
 * The last nine arguments are those of SFileOpen. A headerless PCM
 * description keeps the input's format (its rate is used, bits and
 * channels are the input's); one that carries a rate (above 3) makes the
 * chunks raw. Null when the input cannot be opened or memory runs out. */
TOLAPI(CSFile*) CSFileOpen(const char* name, int32_t level, int32_t loopInput, int32_t repeat, uint32_t delayMs,
                           uint32_t lengthMs, int32_t rate, int32_t bits, int32_t channels, int32_t start,
                           int32_t end, int32_t track, uint32_t rawDescription, uint32_t rawOffset,
                           TOLMediaCallback callback);
/* Sets the output file of the writer and of its trees. */
TOLAPI(void) CSFileSetOutput(CSFile* handle, TOLFile* file);
/* Produces up to `bytes` bytes of sound (whole sample frames) and writes
 * them as one chunk; returns the sound bytes written (0: no chunk). */
TOLAPI(uint32_t) CSFilePut(CSFile* handle, uint32_t bytes);
TOLAPI(void) CSFileClose(CSFile* handle);
/* /L level (0) and /P loop, then the switches of SFileCommandLine, whose
 * result is returned; null pointers are skipped. */
TOLAPI(int32_t) CSFileCommandline(char* text, int32_t* level, int32_t* loop, int32_t* rate, int32_t* bits,
                                  int32_t* channels, int32_t* start, int32_t* end, int32_t* track,
                                  uint32_t* rawDescription, uint32_t* rawOffset);

#endif
