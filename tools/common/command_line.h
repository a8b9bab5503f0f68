// A tool's command line as one text, the form that tolutil's switch parsers
// and word splitter take apart (GetSwitch..., GetAndRemoveFirstQuoted).
//
// POSIX adaptation: the tools get their arguments one by one, not as the one
// text a Windows program receives; the text is rebuilt as the launcher
// writes it: file names in double quotes, switches as they stand.
// - An argument that holds a double quote was quoted by whoever wrote it
//   and is taken as it stands.
// - An argument that begins with '/' and holds no other '/' is a switch
//   ("/d150000", "/f29.97", "/#1234"); a value holding blanks is quoted
//   after the letter. So an absolute path is a name, and a file in the root
//   folder must be given with a folder part ("/./name").
// - Anything else is a name and is put in double quotes.
#pragma once

#include <string>

namespace tolapp {

// Joins argv[1] to argv[argc - 1] with blanks.
std::string joinArguments(int argc, const char* const* argv);

}  // namespace tolapp

namespace tolapp {

// The first switch left in a command-line text after the parsers took
// theirs (a slash at the start or after a blank, outside quotes, up to the
// next blank), or empty.
std::string firstSwitchLeft(const char* text);

}  // namespace tolapp
