// Sound input: the record behind an SFile handle and the internal functions
// that open, fill, convert and close it (see include/tol/sfile.h).
//
// Layers: the probes (sfile_open.cpp) find the source's kind and format and
// set up its reader; the sources (sfile_sources.cpp) fill the source buffer
// per kind; the delivery (sfile_get.cpp) turns source sample frames into the
// delivered format one frame at a time; lists (sfile_list.cpp) chain whole
// SFile handles one after another.
#pragma once

#include <cstdint>

#include "media/list_entries.h"
#include "platform/libns.h"
#include "tol/sfile.h"
#include "tol/pleven_record.h"
#include "tol/quicktime_record.h"
#include "tol/tolfile_record.h"
#include "tol/zurndecoder_record.h"
#include "tol/zurnsound_record.h"

TOL_NS_BEGIN

struct AVIStream;

// A video frame rate as frames per `per` seconds; frames 0 when the source
// has no video.
struct VideoRate {
  int64_t frames = 0;
  int64_t per = 1;
};

// Buffer size of file-like sources (WAVE, raw, AVI, QuickTime, lists).
constexpr uint32_t kSoundFileBuffer = 16384;

struct SFile : ::SFile {
  // Where the source starts again on reset, and the selection's opening
  // state.
  uint32_t dataOffset = 0;   // WAVE and raw: file offset of the selection
  uint32_t skip = 0;         // bytes still to throw away (decoders, lists)
  uint32_t skipOpening = 0;  // their value after open and reset
  bool sourceDone = false;   // the reader has nothing more to give
  bool primed = false;       // the first fill (and its read-ahead) is done
  uint32_t srcBase = 0;      // srcCount and outCount when the conversion
  uint32_t outBase = 0;      // (re)started
  uint32_t capacity = 0;     // allocated bytes of buffer

  // Readers, by kind.
  TOLFile* file = nullptr;                 // WAVE and raw
  ::ZurnDecoder* zurn = nullptr;           // Zurn
  ::ZurnTrackReader* zurnTrack = nullptr;
  int32_t framesRead = 0;                  // Zurn and Pleven: frames taken
  ::PlevDecoder* pleven = nullptr;         // Pleven decoder
  AVIStream* avi = nullptr;                // AVI: the audio stream, its first
  int32_t aviStart = 0;                    // position, the position of the
  int32_t aviPosition = 0;                 // next read (from the start) and
  int32_t aviOpening = 0;                  // that position's opening value
  ::QTSFile* quickTime = nullptr;          // QuickTime sound reader

  // Lists: the list file (null for a numbered pattern), the open entry and
  // the entry parser's state.
  TOLFile* listFile = nullptr;
  SFile* entry = nullptr;
  ListEntryReader entries;
};

// Opens a single (non-list) source of `name` as the probes say; fills the
// format, kind, length and reader. False (after its message) when no reader
// takes it; the caller releases what the record holds.
bool openSingleSource(SFile* s, const char* name, int32_t track, uint32_t rawDescription, uint32_t rawOffset,
                      VideoRate& video);
// Moves the start of the source by `bytes` (a multiple of srcBlock) as the
// kind allows: a file offset, or bytes thrown away as they are read.
void skipSourceBytes(SFile* s, uint32_t bytes);
// Reads up to `max` bytes of source data into dest; 0 at the end of the
// source (sourceDone is then set). Decoders may give a whole frame's sound,
// at most the reader's buffer size, which dest must hold.
uint32_t readSource(SFile* s, uint8_t* dest, uint32_t max);
// Starts the source again at the selection's start.
void rewindSource(SFile* s);
// Closes the kind's reader.
void closeSource(SFile* s);

// Lists: a list file or numbered pattern whose entries play one after
// another. tryOpenList takes the name when it is one (false with handled
// set to false otherwise); handled with false means the list failed.
bool tryOpenList(SFile* s, int32_t rate, int32_t bits, int32_t channels, bool& handled);
uint32_t getFromList(SFile* s, uint8_t* dest, uint32_t bytes);
void rewindList(SFile* s);
void closeList(SFile* s);

SFile* SFileOpen(const char* name, int32_t rate, int32_t bits, int32_t channels, int32_t start, int32_t end,
                 int32_t track, uint32_t rawDescription, uint32_t rawOffset, TOLMediaCallback callback);
uint32_t SFileGet(SFile* s, void* buffer, uint32_t bytes);
void SFileReset(SFile* s);
void SFileClose(SFile* s);
int32_t SFileCommandLine(char* commandLine, int32_t* rate, int32_t* bits, int32_t* channels, int32_t* start,
                         int32_t* end, int32_t* track, uint32_t* rawDescription, uint32_t* rawOffset);

// Sends a message to the handle's callback (when set).
void soundMessage(const SFile* s, const char* text, int32_t kind);

TOL_NS_END
