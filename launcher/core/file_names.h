// File names as the launcher handles them: the selection text of the main
// window, quoted name lists, list-file names, proposed output names, and
// the filter tables of the file dialogs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvideo {

// The names of a selection text: blanks skipped; a name that begins with a
// double quote runs to the next one (quotes dropped), any other to the end
// of the text.
std::vector<std::string> splitSelection(std::string_view selection);

// One name: bare. Several: each in double quotes, separated by blanks (the
// form the main window's file-name box shows).
std::string selectionText(const std::vector<std::string>& names);

// Each name as a blank and the name in double quotes: ' "a.zrn" "b.zrn"'.
std::string quotedList(const std::vector<std::string>& names);

// The text's extension (after the last dot, a closing quote ignored) is
// ".lst" or ".list" in any case.
bool isListName(std::string_view text);

// The file-name part: after the last '/'.
size_t fileNamePart(std::string_view name);

// Output kinds of the save dialogs.
enum SaveKind {
  kSaveZurn = 0, kSavePleven, kSaveList, kSaveAvi, kSaveWav, kSaveFlc, kSaveBmp, kSaveGif, kSaveJpg,
  kSaveTga, kSaveTiff, kSavePcx, kSavePng, kSaveExe, kSaveKindCount
};
struct SaveKindInfo {
  const char* description;
  const char* patterns;  // separated by ';'
  const char* extension;
};
const SaveKindInfo& saveKind(int kind);

// The output name proposed for an input: the file-name part's extension
// replaced by the kind's (or added), every '?' removed; when that gives the
// input name again (any case), "New_" in front of the input's file name.
std::string proposeOutputName(std::string_view input, int kind);

// The output name with ".ext" added when its file-name part has no extension.
std::string withDefaultExtension(std::string_view name, std::string_view extension);

// The main window's filter list; the pickers use entries 1 to 5.
enum OpenFilter { kFilterMedia = 1, kFilterGraphics, kFilterSound, kFilterZurn, kFilterPleven, kFilterAll };
struct FilterInfo {
  const char* description;
  const char* patterns;  // separated by ';', possibly ending in one
};
const std::vector<FilterInfo>& openFilters();
// The patterns of a ';'-separated list.
std::vector<std::string> splitPatterns(std::string_view patterns);

bool equalsNoCase(std::string_view a, std::string_view b);

}  // namespace tolvideo
