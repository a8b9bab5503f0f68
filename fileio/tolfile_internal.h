// State changes of a buffered file handle shared by the fileio sources:
// opening state, buffer creation, direction switches, writing the buffer out.
#pragma once

#include <cstdint>

#include "fileio/tolfile.h"
#include "platform/os.h"

TOL_NS_BEGIN
namespace fileio {

constexpr uint32_t kSizeUnknown = 0xFFFFFFFFu;

inline bool isOpen(const TOLFile* f) { return f && f->osHandle != os::kInvalidFile; }

// Allocates the buffer on first use; without memory the handle goes on
// unbuffered.
void makeBuffer(TOLFile* f);

// Drops whatever the buffer holds for reading: the next read fills it anew.
inline void dropReadBuffer(TOLFile* f) { f->bufferPos = f->bufferEnd = f->bufferSize; }

// Moves the OS file pointer and filePos to pos.
void seekOS(TOLFile* f, uint32_t pos);

// Writes the buffered bytes in writing mode; true when there were any.
bool writeBuffer(TOLFile* f);
// Completes a partial byte being written, then writes the buffered bytes.
bool writeOut(TOLFile* f);

// One byte at the byte level (the bit position is left alone), straight
// from or into the buffer when it can.
inline uint32_t takeByte(TOLFile* f, uint8_t& d) {
  if (f->buffer && f->mode == kTOLFileReading && f->bufferPos < f->bufferEnd) {
    d = f->buffer[f->bufferPos++];
    return 1;
  }
  return TOLFileGetNB(f, &d, 1);
}
inline void giveByte(TOLFile* f, uint8_t d) {
  if (f->buffer && f->mode == kTOLFileWriting && f->bufferPos < f->bufferEnd)
    f->buffer[f->bufferPos++] = d;
  else
    TOLFilePutNB(f, &d, 1);
}

// Direction switches; both keep the logical position. A switch to writing
// with keepBits continues at the bit position of a partly read byte.
void toReading(TOLFile* f);
void toWriting(TOLFile* f, bool keepBits);

}  // namespace fileio
TOL_NS_END
