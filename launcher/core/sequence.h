// Numbered file sequences: img0005.bmp among img0003.bmp to img0009.bmp is
// the frame-sequence text img????.bmp*3-9.
#pragma once

#include <functional>
#include <string>

#include "core/services.h"

namespace tolvideo {

struct Sequence {
  bool found = false;
  int first = 0, last = 0;
  std::string text;  // "img????.bmp*3-9"
  std::string key;   // prefix, digit count and suffix: equal for names of one sequence
};

// Looks for neighbours of the name's number: the first run of digits of the
// file-name part (folder digits are not frame numbers), counted down and up
// while files of that number exist.
Sequence detectSequence(const std::string& name,
                        const std::function<bool(const std::string&)>& exists = nullptr);

// Asks "Treat as sequence?" for a name that belongs to a sequence; true when
// the user takes it.
bool askSequence(const std::string& name, const Sequence& sequence, Services& services);

// Detection and question in one: the sequence text when accepted, else the name.
std::string sequenceOrName(const std::string& name, Services& services);

bool isExistingFile(const std::string& name);

}  // namespace tolvideo
