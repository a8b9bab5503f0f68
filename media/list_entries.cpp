#include "media/list_entries.h"

#include <cstdio>
#include <cstring>

#include "fileio/tolfile.h"
#include "platform/os.h"
#include "util/switches.h"
#include "util/text.h"

TOL_NS_BEGIN

namespace {

constexpr int32_t kMaxDigits = 18;

void copyText(char* dest, const char* src) {
  copyCut(dest, kListLineSize, src, std::strlen(src));
}

// One line of the list file, line ends removed; bytes beyond the buffer are
// read and dropped so that they do not come back as a line of their own.
// False at the end of the file.
bool readLine(TOLFile* f, char* line) {
  uint32_t n = 0;
  uint8_t c = 0;
  bool any = false;
  while (TOLFileGetNB(f, &c, 1) == 1) {
    any = true;
    if (c == '\n') break;
    if (n + 1 < kListLineSize) line[n++] = static_cast<char>(c);
  }
  while (n > 0 && line[n - 1] == '\r') --n;
  line[n] = 0;
  return any;
}

// Non-negative decimal number at *p (moved past it); -1 when there is none.
int64_t takeNumber(const char*& p) {
  if (!isDigit(*p)) return -1;
  int64_t v = 0;
  while (isDigit(*p)) {
    if (v < 1000000000) v = v * 10 + (*p - '0');
    ++p;
  }
  return v > INT32_MAX ? INT32_MAX : v;
}

bool memberName(const ListEntryReader& r, int64_t index, char* dest) {
  int written = std::snprintf(dest, kListLineSize, "%s%0*lld%s", r.prefix, r.digits,
                              static_cast<long long>(index), r.suffix);
  return written > 0 && static_cast<uint32_t>(written) < kListLineSize;
}

// Names the next member of the running sequence; false when it has ended.
bool nextMember(ListEntryReader& r, ListEntry& e, bool firstMember) {
  if (!r.sequenceRunning) return false;
  bool more = r.sequenceBounded ? r.sequenceIndex < r.sequenceEnd : true;
  if (more && !memberName(r, r.sequenceIndex, e.name)) more = false;
  if (more && !firstMember && !r.sequenceBounded && !os::exists(e.name)) more = false;
  if (!more) {
    r.sequenceRunning = false;
    e.name[0] = 0;
    return false;
  }
  ++r.sequenceIndex;
  e.first = e.last = 0;
  e.generated = true;
  return true;
}

// Splits a line holding '?' into prefix, digit count and suffix with its
// "*first-last" part, and starts the sequence.
void startSequence(ListEntryReader& r, const char* line, int32_t first, int32_t last) {
  const char* run = std::strchr(line, '?');
  const char* after = run;
  while (*after == '?') ++after;
  copyCut(r.prefix, kListLineSize, line, static_cast<size_t>(run - line));
  int32_t digits = static_cast<int32_t>(after - run);
  r.digits = digits > kMaxDigits ? kMaxDigits : digits;
  copyText(r.suffix, after);
  bool bounded = last > 0;
  if (char* star = std::strchr(r.suffix, '*')) {
    *star = 0;
    const char* p = star + 1;
    int64_t n = takeNumber(p);
    if (n >= 0) {
      first = last = static_cast<int32_t>(n);
      bounded = true;
      if (*p == '-') {
        ++p;
        int64_t m = takeNumber(p);
        if (m >= 0) last = static_cast<int32_t>(m);
      }
    }
    TrimR(r.suffix);
  }
  r.sequenceIndex = first > 0 ? first : 0;
  r.sequenceEnd = static_cast<int64_t>(last) + 1;
  r.sequenceBounded = bounded;
  r.sequenceRunning = true;
  r.sequenceRan = true;
}

// A relative name of a list file is taken from the list file's folder.
void resolveName(const ListEntryReader& r, char* name) {
  if (!r.listFile || name[0] == '/' || r.listFolder[0] == 0) return;
  char joined[kListLineSize];
  int written = std::snprintf(joined, sizeof joined, "%s%s", r.listFolder, name);
  if (written > 0 && static_cast<uint32_t>(written) < sizeof joined) copyText(name, joined);
}

}  // namespace

void listEntriesStart(ListEntryReader& reader, TOLFile* listFile, const char* name) {
  reader = ListEntryReader{};
  reader.listFile = listFile;
  copyText(reader.ownName, name ? name : "");
  if (listFile) {
    copyText(reader.listFolder, reader.ownName);
    char* slash = std::strrchr(reader.listFolder, '/');
    if (slash)
      slash[1] = 0;
    else
      reader.listFolder[0] = 0;
  }
}

void listEntriesRestart(ListEntryReader& reader) {
  if (reader.listFile) TOLFileSetPos(reader.listFile, 0);
  reader.sequenceRunning = reader.sequenceRan = false;
  reader.repeatsLeft = 0;
}

void listEntriesNext(ListEntryReader& r, ListEntry& e) {
  e = ListEntry{};
  if (nextMember(r, e, false)) return;

  if (r.repeatsLeft > 0) {
    --r.repeatsLeft;
    if (r.savedIsSequence) {
      startSequence(r, r.savedLine, r.savedFirst, r.savedLast);
      nextMember(r, e, true);
      return;
    }
    copyText(e.name, r.savedLine);
    e.first = r.savedFirst;
    e.last = r.savedLast;
    e.generated = true;
    return;
  }

  char line[kListLineSize];
  for (;;) {
    if (r.listFile) {
      if (!readLine(r.listFile, line)) {
        TOLFileSetPos(r.listFile, 0);
        return;  // end of the list
      }
    } else {
      copyText(line, r.ownName);
    }
    int32_t first = GetSwitchNum(line, 'S', 0);
    int32_t last = GetSwitchNum(line, 'E', 0);
    int32_t loops = GetSwitchNum(line, 'L', 0);
    Trim(line);
    r.repeatsLeft = loops > 1 ? loops - 1 : 0;
    if (line[0] == '#') {
      line[0] = 0;
      r.repeatsLeft = 0;
    }
    if (line[0] == 0) {
      if (r.listFile) continue;
      return;
    }
    resolveName(r, line);
    if (std::strchr(line, '?')) {
      if (!r.listFile && r.sequenceRan) {
        r.sequenceRan = false;  // the next call starts the sequence over
        r.repeatsLeft = 0;
        return;
      }
      if (r.repeatsLeft > 0) {
        copyText(r.savedLine, line);
        r.savedFirst = first;
        r.savedLast = last;
        r.savedIsSequence = true;
      }
      startSequence(r, line, first, last);
      nextMember(r, e, true);
      return;
    }
    if (r.repeatsLeft > 0) {
      copyText(r.savedLine, line);
      r.savedFirst = first;
      r.savedLast = last;
      r.savedIsSequence = false;
    }
    copyText(e.name, line);
    e.first = first;
    e.last = last;
    return;
  }
}

TOL_NS_END
