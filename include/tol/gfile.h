/* Graphics input, exported by tolutil: any picture source (still images,
 * numbered image sequences, list files, animations, videos, Zurn and Pleven
 * files, raw frame files, and sound files standing in for a picture track)
 * delivered frame by frame at a chosen size, frame rate and pixel format.
 *
 * Usage: GFileOpen, then GFileGet once per output frame (outFrameCount
 * frames); after each call frameBuffer holds the frame (32-bit words
 * 0x00RRGGBB, or 8-bit indices into palette) at pitch bytes a row, top row
 * first. GFileReset rewinds, GFileClose frees. GFileCommandLine cuts the
 * standard switches out of a tool's command line.
 *
 * Kinds (GFile.kind): 3 BMP, 4 GIF, 5 TIF, 6 JPEG, 7 TGA, 8 PNG, 9 PCX still
 * image; 32 AVI; 33 QuickTime; 128 Flic; 129 Pleven; 130 raw frame file; 131
 * Zurn; 256 list file or numbered sequence; 512 sound file without picture.
 *
 * Adaptations and choices of this implementation:
 * - The message callback answers with a 32-bit value (see mediacallback.h),
 *   and GFileGet returns one (1 delivered, 0 not).
 * - Rows are top-down in frameBuffer; sources whose rows run bottom-up are
 *   turned while converting. 4-bit sources hold the left pixel of a pair in
 *   the high nibble, as device-independent bitmaps do.
 * - List files end in ".lst" or ".list"; relative names in them are taken
 *   from the list file's folder. A numbered sequence without a last number
 *   runs while the next numbered file exists.
 * - Rates given to GFileOpen count only when numerator and denominator are
 *   both non-zero; their signs are dropped. A source rate of 0 reads as 15.
 * - Palette parameters given to GFileOpen are held to the palette: the
 *   count to 1..256 (0 means 256), the first index to 0..256 - count.
 * - After the palette analysis has ended (end of the analysed source, or a
 *   cancel), the palette stays for the rest of the run even past 65536
 *   frames.
 * - A list entry that cannot be opened again while frames are read makes
 *   GFileGet return 0. Entries of a list are taken one frame for one at the
 *   list's input rate, and the list alone converts to the output rate.
 *   Lists may name lists, eight deep at most (a list naming itself fails).
 * - A GIF of more than one frame is an animation (kind and typeName stay
 *   those of a GIF still image): 24 bits, each frame composed on the
 *   logical screen by its disposal and transparent colour, at a frame rate
 *   of 100 / (greatest common divisor of the delays in 1/100 s), so that
 *   every frame is repeated for its own delay (a delay of 0 counts as 1/10
 *   s, as players show it).
 * - Every still format is held to 4096 x 4096 pixels; other sources to
 *   16384 pixels a side and 64 million pixels. An AVI's size is that of the
 *   frames its decoder gives (the stream header's rectangle may be empty);
 *   a frame that does not decode is delivered black.
 * - Colour counts of the palette analysis are 64-bit, so long windows of
 *   one colour do not wrap. */
#ifndef TOL_GFILE_H
#define TOL_GFILE_H

#include "tol/api.h"
#include "tol/mediacallback.h"

#define GFILE_NAME_SIZE 128

#define GFILE_KIND_BMP 3
#define GFILE_KIND_GIF 4
#define GFILE_KIND_TIF 5
#define GFILE_KIND_JPEG 6
#define GFILE_KIND_TGA 7
#define GFILE_KIND_PNG 8
#define GFILE_KIND_PCX 9
#define GFILE_KIND_AVI 32
#define GFILE_KIND_QUICKTIME 33
#define GFILE_KIND_FLIC 128
#define GFILE_KIND_PLEVEN 129
#define GFILE_KIND_RAW 130
#define GFILE_KIND_ZURN 131
#define GFILE_KIND_LIST 256
#define GFILE_KIND_SOUND_ONLY 512

/* Open flag: deliver 32-bit true colour instead of 8-bit palettised. */
#define GFILE_TRUE_COLOR 1

/* The leading fields of a graphics input handle; callers may read them and
 * must not write them. The library owns the rest of the record. */
typedef struct GFile {
  char name[GFILE_NAME_SIZE];     /* resolved file name */
  char typeName[GFILE_NAME_SIZE]; /* short description of the kind */
  int32_t trueColor;              /* 1: 32-bit frames, 0: 8-bit palettised */
  int32_t kind;                   /* GFILE_KIND_* */
  int32_t width, height;          /* delivered frame size */
  int32_t inputWidth, inputHeight;
  int32_t hasSound;
  int32_t frameDuration;          /* -(100000 * outRateDen / outRateNum) */
  int32_t outRateNum, outRateDen; /* delivered frame rate */
  int32_t inRateNum, inRateDen;   /* rate the source frames are taken to play at */
  int32_t fileRateNum, fileRateDen;
  int32_t frameCount;             /* source frames in the selected range */
  int32_t framesRead;             /* source frames read so far */
  int32_t outFrameCount;          /* frames the tool should ask for */
  int32_t framesOut;              /* frames delivered so far */
  int32_t bitsPerPixel;           /* source bits as delivered by its reader (24 with the working copy) */
  int32_t frameBits;              /* bits per pixel of the frame just read */
  int32_t sourceBits;             /* source bits before the 24-bit working copy */
  uint8_t* frameBuffer;           /* the delivered frame, null before the first GFileGet */
  int32_t pitch;                  /* bytes from one row of frameBuffer to the next */
  int32_t frameBytes;             /* source bytes behind the frame just read */
  uint32_t fileSize;              /* bytes of the source (sum of the entries of a list) */
  int32_t totalFrames;            /* source frames before the range selection */
  uint8_t palette[768];           /* output palette: 256 x red, green, blue */
} GFile;

/* name: a file (extension optional), a list file or a numbered sequence
 * ("img????.png*0-29"). flags: GFILE_TRUE_COLOR. Rates: both parts non-zero
 * to set. x, y: signed offset of the output in the source; width, height: 0
 * for the source's. first, last: 1-based range, 0 for the default.
 * paletteMode: 0 plain, else palette analysis, 2 also ends an analysis
 * window at a source palette change. paletteInterval: frames per palette (0:
 * one for all; below 32000: periodic palettes). paletteFirst, paletteCount:
 * the entries to fill; paletteOverlap: bank shift between palettes.
 * systemColours: 0 keep the 20 static colours out, 1 also write them into a
 * passed-through palette, 2 ignore them. mode24: 0 automatic, 1 always, 2
 * never convert to a 24-bit working copy first. paletteFile: graphics file
 * whose colours define the palette, or null/empty. verb: word before
 * progress lines (null: "Processing"). Null on failure (reported through
 * callback). */
TOLAPI(GFile*) GFileOpen(const char* name, uint32_t flags, int32_t inRateNum, int32_t inRateDen, int32_t outRateNum,
                         int32_t outRateDen, int32_t x, int32_t y, int32_t width, int32_t height, int32_t first,
                         int32_t last, int32_t paletteMode, int32_t paletteInterval, int32_t paletteFirst,
                         int32_t paletteCount, int32_t paletteOverlap, int32_t systemColours, int32_t mode24,
                         const char* paletteFile, const char* verb, TOLMediaCallback callback);
/* 1 when a frame was delivered; 0 when the tool cancelled at the progress
 * line (nothing changed; the call may be repeated), the palette file cannot
 * be opened, or a list entry cannot be opened. */
TOLAPI(int32_t) GFileGet(GFile* handle);
TOLAPI(void) GFileReset(GFile* handle);
TOLAPI(void) GFileClose(GFile* handle);

/* Computes a palette for the frames ahead of analysisReader (a second
 * handle on the same source or on a palette file) into palette (768 bytes
 * holding the entries outside the range to compute). frameBuffer (may be
 * null) is the 8-bit frame now shown, described by the other arguments.
 * Returns the number of frames the palette is meant for, 65536 when the
 * reader reached its end, 0 when the tool cancelled. */
TOLAPI(int32_t) GFileBestPalette(GFile* analysisReader, uint8_t* palette, const uint8_t* frameBuffer, int32_t width,
                                 int32_t height, int32_t pitch, int32_t leftMargin, int32_t topMargin,
                                 int32_t rightExcess, int32_t bottomExcess);

/* Cuts /F /A /X /Y /W /H /S /E /P /U /Q /I /$ /D /T /& out of commandLine
 * and stores them through the pointers (a null pointer leaves its switch in
 * the text, except that /X /Y /W /H /S /E are always removed). Rates come
 * back reduced, frame times (negative values) turned into rates.
 * paletteFile must hold GFILE_NAME_SIZE bytes. */
TOLAPI(void) GFileCommandLine(char* commandLine, int32_t* inRateNum, int32_t* inRateDen, int32_t* outRateNum,
                              int32_t* outRateDen, int32_t* x, int32_t* y, int32_t* width, int32_t* height,
                              int32_t* first, int32_t* last, uint8_t* paletteMode, int32_t* paletteInterval,
                              int32_t* paletteFirst, int32_t* paletteCount, int32_t* paletteOverlap,
                              uint8_t* systemColours, uint8_t* mode24, char* paletteFile);

#endif
