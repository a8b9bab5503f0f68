// Text helpers on file handles: reading a line, appending to a log file.
#include <cstring>

#include "fileio/tolfile_internal.h"

TOL_NS_BEGIN
namespace {

bool nextByte(TOLFile* f, uint8_t& c) {
  if (fileio::canReadDirect(f, 1)) {
    c = f->buffer[f->bufferPos++];
    return true;
  }
  return TOLFileGet(f, &c, 1) == 1;
}

}  // namespace

char* TOLFileGetLine(TOLFile* f, char* buffer, uint32_t capacity) {
  if (!buffer || capacity == 0) return buffer;
  uint32_t n = 0;
  uint8_t c;
  while (n + 1 < capacity && nextByte(f, c)) {
    buffer[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n')) --n;
  buffer[n] = 0;
  return buffer;
}

void LogString(const char* fileName, const char* text) {
  TOLFile* f = TOLFileOpen(1024, fileName, TOLFILE_READ_WRITE);
  if (f)
    TOLFileSetPos(f, TOLFileSize(f));
  else
    f = TOLFileCreate(1024, fileName);
  if (!f) return;
  if (text) TOLFilePut(f, text, static_cast<uint32_t>(std::strlen(text)));
  TOLFileClose(f);
}

TOL_NS_END
