// Graphics input: the record behind a GFile handle and the operations the
// opening, reading, conversion and palette files share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/list_entries.h"
#include "platform/libns.h"
#include "tol/gfile.h"

TOL_NS_BEGIN

// Where a reader may write a frame itself, as 32-bit words 0x00RRGGBB top
// row first: the delivered frame, when the source fills it exactly.
struct FrameTarget {
  uint8_t* pixels = nullptr;  // null: nowhere
  int32_t pitch = 0;
};

// One source frame as a reader delivers it: top row first at pixels, rows
// pitch bytes apart (negative for sources stored bottom-up).
struct SourceFrame {
  const uint8_t* pixels = nullptr;
  int32_t pitch = 0;
  int32_t bits = 0;                  // 4, 8, 16, 24 or 32
  const uint8_t* palette = nullptr;  // 768 bytes (red, green, blue) when newPalette
  bool newPalette = false;
  int32_t frameBytes = 0;
  // In: where the reader may write the frame itself (see FrameTarget).
  FrameTarget target;
  // Out: the delivered frame already holds this frame, written there by the
  // reader or kept as it was; nothing is to be converted.
  bool inOutput = false;
  // Out: the reader's buffer could not be allocated (the frame is kept).
  bool outOfMemory = false;
};

// What a kind's reader does for the graphics input.
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Reads source frame `number` (0-based; sequential readers ignore it and
  // deliver their next frame). False when the frame cannot be produced.
  virtual bool read(int32_t number, SourceFrame& frame) = 0;
  // Decodes a frame before the first selected one and throws it away.
  virtual void skip(int32_t number, SourceFrame& frame) { read(number, frame); }
  // Back to the first frame of the file.
  virtual void rewind() = 0;
  // Sequential readers decode the frames before the first selected one.
  virtual bool sequential() const { return false; }
};

// What a probe found: the reader and the facts of the source.
struct ProbeResult {
  FrameSource* source = nullptr;
  int32_t kind = 0;
  const char* typeName = "";
  char name[GFILE_NAME_SIZE] = {};
  int32_t width = 0, height = 0, bits = 0, frames = 0;
  int32_t rateNum = 15, rateDen = 1;
  int32_t hasSound = 0;
  uint32_t fileSize = 0;        // of the file named by name
  uint32_t trackWords[7] = {};  // Zurn: flags and ids of up to 7 tracks; Pleven: track words
  uint32_t trackIds[7] = {};
};

struct Placement {
  int32_t sourceX = 0, sourceY = 0;  // first source pixel copied
  int32_t outX = 0, outY = 0;        // where it lands (left and top margins)
  int32_t copyWidth = 0, copyHeight = 0;
  int32_t rightExcess = 0, bottomExcess = 0;
};

struct PaletteParams {
  int32_t mode = 0;
  int32_t interval = 65536;
  int32_t first = 0, count = 256;         // the range computed now
  int32_t openFirst = 0, openCount = 256; // as opened
  int32_t overlap = 0;
  int32_t systemColours = 0;
};

struct GFileState : ::GFile {
  bool atEnd = false;
  Placement place;
  bool paletteValid = false;
  uint8_t sourcePalette[768] = {};
  uint8_t* remap = nullptr;          // 256 entries
  uint16_t* colourCache = nullptr;   // 262144 entries, 256 + index once known
  FrameSource* source = nullptr;
  SourceFrame frame;                 // the frame just read
  bool frameNewPalette = false;      // a frame read for this output frame brought a palette

  // Palette work.
  PaletteParams pal;
  int32_t paletteCountdown = 0;
  bool paletteFinal = false;         // the analysis has ended; the palette stays
  GFileState* analysis = nullptr;
  bool bankToggle = false;
  bool readAhead = false;            // analysis reader: a frame is read and not yet taken
  char paletteFile[GFILE_NAME_SIZE] = {};

  TOLMediaCallback callback = nullptr;
  char verb[GFILE_NAME_SIZE] = {};
  int32_t firstIndex = 0;
  bool firstSkipDone = false;
  int32_t mode24 = 0;
  bool working24 = false;
  uint8_t* working = nullptr;        // copy rectangle as packed blue, green, red
  uint8_t* workingPlain = nullptr;   // the same before shading is evened out
  int32_t workingPitch = 0;
  size_t workingSize = 0;
  uint32_t trackWords[7] = {};
  uint32_t trackIds[7] = {};

  // The arguments as passed, for list entries and the analysis reader.
  int32_t argInNum = 0, argInDen = 0, argOutNum = 0, argOutDen = 0;
  int32_t argX = 0, argY = 0;

  // List state.
  TOLFile* listFile = nullptr;
  ListEntryReader entries;
  GFileState* entry = nullptr;
};

inline GFileState* state(::GFile* g) { return static_cast<GFileState*>(g); }

// Opening (gfile_open.cpp).
GFileState* GFileOpen(const char* name, uint32_t flags, int32_t inRateNum, int32_t inRateDen, int32_t outRateNum,
                      int32_t outRateDen, int32_t x, int32_t y, int32_t width, int32_t height, int32_t first,
                      int32_t last, int32_t paletteMode, int32_t paletteInterval, int32_t paletteFirst,
                      int32_t paletteCount, int32_t paletteOverlap, int32_t systemColours, int32_t mode24,
                      const char* paletteFile, const char* verb, TOLMediaCallback callback);
void GFileClose(GFileState* g);
// The placement of an output of width w at offset x on a source of width
// sourceWidth, in one direction.
void placeAxis(int32_t x, int32_t w, int32_t sourceWidth, int32_t& sourceX, int32_t& outX, int32_t& copy,
               int32_t& excess);
void computePlacement(GFileState& g, int32_t sourceWidth, int32_t sourceHeight);

// Reading (gfile_read.cpp).
// One output frame by the rate conversion (no pixel conversion), the source
// frames offered `offer`. False when a source frame could not be produced.
bool readOutputFrame(GFileState& g, const FrameTarget& offer = FrameTarget{});
int32_t GFileGet(GFileState& g);
void GFileReset(GFileState& g);
// A frame number of the source in output numbering, 1-based.
int32_t outputNumber(const GFileState& g, int64_t sourceFrame);
void sendMessage(const GFileState& g, const char* text, int32_t kind);
bool sendProgress(const GFileState& g, int32_t kind);  // true: cancel

// Frame conversion (frame_convert.cpp).
bool convertFrame(GFileState& g);
// The delivered frame, allocated zeroed at first need; false when it cannot be.
bool ensureFrameBuffer(GFileState& g);
// Where a reader may write a source frame of the given size itself: the
// frame buffer, when the output is true colour and the placement copies the
// whole source onto the whole output; else nowhere.
FrameTarget directTarget(const GFileState& g, int32_t sourceWidth, int32_t sourceHeight);
void makeWorkingCopy(GFileState& g);
extern const uint8_t kStaticColours[20][3];
void writeStaticColours(uint8_t* palette);
const uint16_t* squareTable();

void GFileCommandLine(char* text, int32_t* inRateNum, int32_t* inRateDen, int32_t* outRateNum, int32_t* outRateDen,
                      int32_t* x, int32_t* y, int32_t* width, int32_t* height, int32_t* first, int32_t* last,
                      uint8_t* paletteMode, int32_t* paletteInterval, int32_t* paletteFirst, int32_t* paletteCount,
                      int32_t* paletteOverlap, uint8_t* systemColours, uint8_t* mode24, char* paletteFile);

// Palette reduction (palette_reduce.cpp).
int32_t GFileBestPalette(GFileState& reader, uint8_t* palette, const uint8_t* frameBuffer, int32_t width,
                         int32_t height, int32_t pitch, int32_t leftMargin, int32_t topMargin, int32_t rightExcess,
                         int32_t bottomExcess);

TOL_NS_END
