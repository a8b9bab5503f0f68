// The entries of a list file or of a numbered frame sequence, one source name
// at a time.
//
// A list file names one input per line: a file name, or a frame-sequence text
// in which a run of '?' is the frame number, optionally followed by '*', the
// first and the last number ("img????.png*0-29" names img0000.png to
// img0029.png). A line may carry "/S" (first frame), "/E" (last frame) and
// "/L" (times to play it); a line that starts with '#' is a comment, and
// blank lines are skipped. Without a list file the reader parses one name
// the same way, so a frame-sequence text on its own names its members.
//
// Choices of this implementation:
// - A sequence without a last number (no "-last" and no /E) runs while the
//   next numbered file exists; its first member is always named.
// - Names are built from the prefix, the number and the suffix as texts, so
//   a '%' in a file name is kept as it is.
// - "/L" on a sequence line plays the whole sequence that many times.
// - Lines are read up to 255 bytes; the rest of a longer line is dropped.
// - A relative name in a list file is taken from the list file's folder.
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/tolfile_record.h"

TOL_NS_BEGIN

constexpr uint32_t kListLineSize = 256;

struct ListEntry {
  char name[kListLineSize];
  int32_t first = 0;       // 1-based first frame, 0 for the default
  int32_t last = 0;        // 1-based last frame, 0 for the default
  bool generated = false;  // a sequence member or a repeat of an earlier line
};

struct ListEntryReader {
  TOLFile* listFile = nullptr;   // not owned
  char listFolder[kListLineSize] = {};
  char ownName[kListLineSize] = {};  // parsed when there is no list file

  // The running sequence: prefix, number of digits, suffix.
  char prefix[kListLineSize] = {};
  char suffix[kListLineSize] = {};
  int32_t digits = 0;
  int64_t sequenceIndex = 0;
  int64_t sequenceEnd = 0;  // one past the last member, when bounded
  bool sequenceBounded = false;
  bool sequenceRunning = false;
  bool sequenceRan = false;  // a sequence has run since the last restart

  // The line that /L asks to play again.
  int32_t repeatsLeft = 0;
  char savedLine[kListLineSize] = {};
  int32_t savedFirst = 0, savedLast = 0;
  bool savedIsSequence = false;
};

// Starts reading the entries of listFile (owned by the caller, may be null)
// or, without one, of name.
void listEntriesStart(ListEntryReader& reader, TOLFile* listFile, const char* name);

// The next entry. An empty name marks the end of the list; the call after it
// starts the list over (the list file is rewound then).
void listEntriesNext(ListEntryReader& reader, ListEntry& entry);

// Back to the first entry: the list file is rewound and the sequence and
// repeat state cleared.
void listEntriesRestart(ListEntryReader& reader);

TOL_NS_END
