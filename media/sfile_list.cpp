// Sound of a list file or numbered pattern: every entry is an SFile of its
// own, opened in the list's delivered format and played to its end before
// the next one starts.
#include <algorithm>
#include <cstring>

#include "fileio/tolfile.h"
#include "media/sfile.h"
#include "util/paths.h"

TOL_NS_BEGIN

namespace {

constexpr int32_t kListFileBuffer = 4096;
// Lists may name lists; a list that names itself stops here.
constexpr int kMaxListDepth = 8;
// Entries looked at while a list is measured (repeats and open-ended
// sequences included).
constexpr uint32_t kMaxListEntries = 1u << 20;
thread_local int listDepth = 0;

bool isListFileName(const char* name) {
  const char* extension = HasExtension(name);
  return extension && strcasecmp(extension, ".lst") == 0;
}

// Opens an entry in the given format with its own frame range.
SFile* openEntry(const ListEntry& e, int32_t rate, int32_t bits, int32_t channels) {
  if (listDepth >= kMaxListDepth) return nullptr;
  ++listDepth;
  SFile* s = SFileOpen(e.name, rate, bits, channels, -e.first, -e.last, 0, 0, 0, nullptr);
  --listDepth;
  return s;
}

// The next entry that opens, or null when the list has run out.
SFile* nextEntry(SFile* s) {
  for (uint32_t tries = 0; tries < kMaxListEntries; ++tries) {
    ListEntry e;
    listEntriesNext(s->entries, e);
    if (!e.name[0]) return nullptr;
    if (SFile* entry = openEntry(e, s->outRate, s->outBits, s->outChannels)) return entry;
  }
  return nullptr;
}

// An entry's length in the list's delivered format.
uint64_t deliveredLength(const SFile* entry, uint32_t rate, uint32_t bits, uint32_t channels) {
  const uint64_t perSecond = uint64_t{bits} * channels * rate / 8;
  const uint64_t entryPerSecond = uint64_t(entry->srcRate) * static_cast<uint32_t>(entry->srcBlock);
  const uint64_t bytes = uint64_t{entry->length} * perSecond / entryPerSecond;
  const uint64_t block = uint64_t{bits} * channels / 8;
  return bytes / block * block;
}

// Throws away up to s->skip delivered bytes from the open entry.
void skipInEntry(SFile* s) {
  uint8_t scratch[4096];
  while (s->skip > 0 && s->entry && !s->entry->atEnd) {
    const uint32_t n = SFileGet(s->entry, scratch, std::min<uint32_t>(s->skip, sizeof scratch));
    if (n == 0) break;
    s->skip -= n;
  }
}

}  // namespace

bool tryOpenList(SFile* s, int32_t rate, int32_t bits, int32_t channels, bool& handled) {
  handled = false;
  ListEntry first;
  listEntriesStart(s->entries, nullptr, s->name);
  listEntriesNext(s->entries, first);
  if (!first.generated && !isListFileName(s->name)) return false;
  handled = true;
  if (!first.generated) {
    s->listFile = TOLFileOpen(kListFileBuffer, s->name, TOLFILE_READ_ONLY);
    if (!s->listFile) return false;
  }
  listEntriesStart(s->entries, s->listFile, s->name);

  uint32_t outRate = rate > 0 ? static_cast<uint32_t>(rate) : 0;
  uint32_t outBits = bits == 8 || bits == 16 ? static_cast<uint32_t>(bits) : 0;
  uint32_t outChannels = channels == 1 || channels == 2 ? static_cast<uint32_t>(channels) : 0;
  uint64_t total = 0;
  for (uint32_t n = 0; n < kMaxListEntries; ++n) {
    ListEntry e;
    listEntriesNext(s->entries, e);
    if (!e.name[0]) break;
    SFile* entry = openEntry(e, static_cast<int32_t>(outRate), static_cast<int32_t>(outBits),
                             static_cast<int32_t>(outChannels));
    if (!entry) continue;
    if (!outRate) outRate = static_cast<uint32_t>(entry->outRate);
    if (!outBits) outBits = static_cast<uint32_t>(entry->outBits);
    if (!outChannels) outChannels = static_cast<uint32_t>(entry->outChannels);
    total += deliveredLength(entry, outRate, outBits, outChannels);
    SFileClose(entry);
  }
  listEntriesRestart(s->entries);
  if (total == 0) {
    soundMessage(s, "No files in the list file.", TOL_MESSAGE_ERROR);
    return false;
  }
  s->kind = SFILE_KIND_LIST;
  std::strcpy(s->typeName, "List");
  s->srcRate = static_cast<int32_t>(outRate);
  s->srcBits = static_cast<int32_t>(outBits);
  s->srcChannels = static_cast<int32_t>(outChannels);
  s->srcBlock = s->srcBits * s->srcChannels / 8;
  const uint32_t block = static_cast<uint32_t>(s->srcBlock);
  s->length = static_cast<uint32_t>(std::min<uint64_t>(total, 0xFFFFFFFFu / block * block));
  s->bufferSize = kSoundFileBuffer;
  return true;
}

uint32_t getFromList(SFile* s, uint8_t* dest, uint32_t bytes) {
  s->primed = true;
  if (s->atEnd) return 0;
  bytes = std::min(bytes, s->remaining) / static_cast<uint32_t>(s->outBlock) * static_cast<uint32_t>(s->outBlock);
  while (bytes > 0) {
    if (s->entry && s->entry->atEnd) {
      SFileClose(s->entry);
      s->entry = nullptr;
    }
    while (!s->entry) {
      s->entry = nextEntry(s);
      if (!s->entry) {
        s->atEnd = 1;
        return 0;
      }
      // Entries that lie wholly before the selection's start are passed
      // over; the one it falls into is read up to it.
      const uint64_t length = deliveredLength(s->entry, static_cast<uint32_t>(s->outRate),
                                              static_cast<uint32_t>(s->outBits), static_cast<uint32_t>(s->outChannels));
      if (s->skip > 0 && s->skip >= length) {
        s->skip -= static_cast<uint32_t>(length);
        SFileClose(s->entry);
        s->entry = nullptr;
      }
    }
    skipInEntry(s);
    const uint32_t n = s->entry->atEnd ? 0 : SFileGet(s->entry, dest, bytes);
    if (n > 0) {
      s->remaining -= n;
      if (s->remaining == 0) s->atEnd = 1;
      return n;
    }
    SFileClose(s->entry);
    s->entry = nullptr;
  }
  return 0;
}

void rewindList(SFile* s) {
  SFileClose(s->entry);
  s->entry = nullptr;
  listEntriesRestart(s->entries);
}

void closeList(SFile* s) {
  SFileClose(s->entry);
  s->entry = nullptr;
  TOLFileClose(s->listFile);
  s->listFile = nullptr;
}

TOL_NS_END
