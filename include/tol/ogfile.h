/* Output files, exported by tolutil: a stream of frames, and for AVI an
 * optional PCM sound track, written as a FLIC animation, an AVI file or a
 * numbered series of still images (BMP, JPEG, PNG, TGA, TIFF, PCX, GIF),
 * chosen by the extension of the output name.
 *
 * Usage: OGFileCreate; per frame OGFilePut (for AVI sound, before it,
 * OGFilePutSoundAmount and OGFilePutSound with that many bytes); then
 * OGFileClose. Frames are top row first, as the graphics input delivers
 * them: 8-bit palette indices with a 256 x (red, green, blue) palette, or
 * 32-bit pixels (blue, green, red, ignored).
 *
 * Adaptations and choices of this implementation:
 * - There is no codec dialog. An AVI is written as uncompressed bitmaps
 *   unless the flags ask for Motion-JPEG (OGFILE_MJPEG, with
 *   OGFILE_QUALITY(q), q from 1 to 100; no quality given means 99, the
 *   dialog's preset of 9999 on the 0 to 10000 scale). parentWindow is not
 *   used.
 * - FLIC and AVI files are written under the output name + ".tmp" and put in
 *   place of the output at close; a still image is written the same way and
 *   put in place as soon as it is complete. An existing file is therefore
 *   replaced only by a complete new one: when a write failed (the `error`
 *   field) or the finished file does not read back, the temporary file is
 *   removed, the old file stays and OGFileClose returns 0.
 * - FLIC output takes the name without extension with ".flc" added; that
 *   name is the one checked before replacing.
 * - Frames given for FLIC output are copied into rows of the FLIC's width
 *   (the width rounded up to a multiple of 4); the added columns are 0.
 * - Sizes: width and height 1 to 16384; both parts of the rate above 0;
 *   inputPitch 0 means width, otherwise it must be at least width.
 *   Otherwise creation fails with the kind's creation message ("Out of
 *   memory." for still images).
 * - A "%" in a still-image name is stored doubled in namePattern, which is
 *   a printf pattern.
 * - Sound amounts are whole sample frames: OGFilePutSoundAmount rounds its
 *   answer down to the block size and OGFilePutSound writes only the whole
 *   sample frames it is given.
 * - The creation message of a sound track is sent once; later calls return
 *   0 without it.
 * - Names longer than 127 bytes (with ".tmp" for the temporary file) cannot
 *   be written: creation fails for FLIC and AVI, and a still image of such a
 *   name sets `error`. */
#ifndef TOL_OGFILE_H
#define TOL_OGFILE_H

#include "tol/api.h"
#include "tol/flic_record.h"
#include "tol/mediacallback.h"

#define OGFILE_NAME_SIZE 128

/* Kinds (OGFile.kind). */
#define OGFILE_KIND_FLIC 0
#define OGFILE_KIND_BMP 1
#define OGFILE_KIND_JPEG 2
#define OGFILE_KIND_TGA 3
#define OGFILE_KIND_TIFF 4
#define OGFILE_KIND_PCX 5
#define OGFILE_KIND_GIF 6
#define OGFILE_KIND_PNG 7
#define OGFILE_KIND_AVI 128

/* Creation flags. */
#define OGFILE_QUIET 1   /* no unsupported-type message; the replace question through the threaded dialog */
#define OGFILE_REPLACE 2 /* replace an existing file without asking */
#define OGFILE_MJPEG 4   /* AVI: Motion-JPEG instead of uncompressed bitmaps */
#define OGFILE_QUALITY(q) ((((uint32_t)(q)) & 127u) << 8) /* AVI Motion-JPEG quality 1..100 */

struct OGFileWork;

/* The leading fields of an output handle; callers may read them and must
 * not write them. The library owns the rest of the record. */
typedef struct OGFile {
  char namePattern[OGFILE_NAME_SIZE]; /* the output name; still images: the pattern with the number field */
  char firstName[OGFILE_NAME_SIZE];   /* still images: the first name written, without folder */
  char summary[256];                  /* "first to last" for two or more stills, else the one name */
  int32_t trueColor;                  /* 1: 32-bit input frames, 0: 8-bit with palette */
  int32_t width, height;
  int32_t frameCount;                 /* frames the tool means to write */
  int32_t rateNum, rateDen;
  int32_t inputPitch;                 /* pixels from one input row to the next */
  int32_t framesWritten;              /* also the number of the next still image */
  int32_t kind;                       /* OGFILE_KIND_* */
  int32_t bitsPerPixel;               /* 24 or 8, of the file */
  uint32_t bytesWritten;
  int32_t error;                      /* 1 after any failed write; never cleared */
  /* private */
  int32_t formatPending;
  TOLMediaCallback callback;
  TOLOFlic* flic;
  struct OGFileWork* work;
} OGFile;

/* Null on failure, after a message through callback (kind 2), or kind 3
 * without text when the user refused to replace a file. flags: OGFILE_*. */
TOLAPI(OGFile*) OGFileCreate(void* parentWindow, const char* name, int32_t trueColor, int32_t frameCount,
                             int32_t rateNum, int32_t rateDen, int32_t width, int32_t height, int32_t inputPitch,
                             TOLMediaCallback callback, uint32_t flags);
/* Writes one frame (palette: 768 bytes; may be null for true colour).
 * Failures set error. */
TOLAPI(void) OGFilePut(OGFile* handle, const void* pixels, const uint8_t* palette);
/* AVI: the sound bytes the track wants now (0 for other kinds or when the
 * track cannot be made). bits 8 or 16, channels 1 or 2. */
TOLAPI(uint32_t) OGFilePutSoundAmount(OGFile* handle, int32_t rate, int32_t bits, int32_t channels);
/* AVI: appends PCM sound and returns the sound position in sample frames;
 * other kinds: returns the kind. */
TOLAPI(int32_t) OGFilePutSound(OGFile* handle, const void* samples, uint32_t bytes);
/* Finishes and frees; returns the size (FLIC and AVI: of the file; still
 * images: bytes written), 0 when the file could not be completed. */
TOLAPI(uint32_t) OGFileClose(OGFile* handle);

#endif
