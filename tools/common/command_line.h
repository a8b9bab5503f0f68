// A tool's command line: the file names apart, and the switches as one text
// that tolutil's switch parsers take apart (GetSwitch..., GFileCommandLine,
// SFileCommandLine).
//
// POSIX adaptation: the tools get their arguments one by one, and absolute
// paths start with a slash like switches. The rules:
// - "/@..." (the compressor's hint piece) is always a switch; its value,
//   like that of "/&" and any value holding blanks, is quoted after the
//   letter unless it holds a quote already.
// - An argument that begins with '/' is a name when it names an existing
//   file or folder or holds a second '/'; otherwise it is a switch
//   ("/d150000", "/f29.97", "/#1234"); a switch value holding blanks is
//   quoted after the letter.
// - An argument in double quotes is a name without them; one that holds a
//   double quote elsewhere and begins with '/' is a switch as it stands.
// - Anything else is a name.
// Names never go into the switch text, so a name can never be read as a
// switch however many slashes it holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolapp {

struct CommandLine {
  std::vector<std::string> names;
  std::string switches;
  bool help = false;  // "--help", "-h" or "/?" was given
};

CommandLine splitArguments(int argc, const char* const* argv);

// Joins argv[1] to argv[argc - 1] with blanks, names in double quotes.
std::string joinArguments(int argc, const char* const* argv);

// The libraries' records hold names of up to 127 bytes; an output name
// leaves room for the temporary name made from it (limit). A longer name
// is replaced by its form relative to the current folder when that fits;
// otherwise false with a message saying so.
bool fitName(std::string& name, std::string& error, size_t limit = 127);

// An output name must not name a folder, and its folder must exist and
// take new files; false with the system's message otherwise.
bool outputWritable(const std::string& output, std::string& error);

// "name: <the system's message>" for the errno value.
std::string systemMessage(const std::string& name, int error);

// The first switch left in the text (outside quotes), or empty: what a
// tool's parsers did not take.
std::string leftoverSwitch(const char* text);

// The message for the first switch left in the text ("bad or repeated
// switch: /s2" when its letter is among knownLetters, else "unknown switch:
// /v"); empty when none is left.
std::string leftoverSwitchError(const char* text, const std::string& knownLetters);

// True when low <= value <= high; else false with "WHAT must be from LOW to
// HIGH, not VALUE" in error.
bool inRange(int32_t value, int32_t low, int32_t high, const char* what, std::string& error);

// The text after a message from the libraries' callback, kept for the tool
// to print when a call fails.
std::string& lastLibraryMessage();

}  // namespace tolapp
