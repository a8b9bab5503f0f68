/* The record behind a buffered file handle. Callers hold a pointer to it and
 * never touch its fields; the layout is fixed so that every build of the file
 * code agrees on it. */
#ifndef TOL_TOLFILE_RECORD_H
#define TOL_TOLFILE_RECORD_H

#include <stdint.h>

#define TOLFILE_NAME_SIZE 128
#define TOLFILE_READ_ONLY 250
#define TOLFILE_READ_WRITE 251

typedef struct TOLFile {
  int32_t osHandle;    /* the open file; -1 once closed */
  int32_t writeError;  /* 1 once a write to the OS came up short; never cleared */
  char name[TOLFILE_NAME_SIZE];
  uint8_t* buffer;     /* null until first needed, and for an unbuffered handle */
  uint32_t bufferSize; /* capacity (0 = unbuffered) */
  uint32_t bufferEnd;  /* reading: valid bytes; writing: how far the buffer may fill */
  uint32_t bufferPos;  /* reading: next byte to deliver; writing: bytes held */
  uint32_t filePos;    /* where the OS file pointer stands */
  uint32_t size;       /* cached file size; 0xFFFFFFFF = not yet known */
  int32_t bitCount;    /* bits taken from / put into the partial byte, 0..7 */
  int32_t bitByte;     /* the partial byte (low 8 bits) */
  int32_t mode;        /* 0 reading, 1 writing */
} TOLFile;

#endif
