// The file pickers of the dialogs: the open picker over the main window's
// filter list, and the save dialog of an output kind.
#pragma once

#include <QFileDialog>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/file_names.h"

namespace tolvideo {

struct PickerRequest {
  bool save;
  std::string title;
  int filterOrKind;   // open: filter entry 1..5; save: output kind
  bool multiple;      // open only
  std::string start;  // save only: the name to start from
};

// The chosen name(s), or empty when cancelled. Open: a single file in the
// current folder as its bare name, else its full path; several as each name
// in double quotes followed by a blank.
std::string pickFiles(QWidget* parent, const PickerRequest& request, const std::string& currentFolder);

// Puts the filter list on a file dialog: each entry shown with its own
// description, filtering by its own patterns ("*.*": every file); entry
// `selected` (from 0) chosen.
void setFilterList(QFileDialog& dialog, const std::vector<FilterInfo>& filters, int selected);

// Test hook: answers instead of a dialog.
extern std::function<std::string(const PickerRequest&)> pickerHook;

// The name relative to the folder when it lies directly in it.
std::string nameInFolder(const std::string& path, const std::string& folder);

}  // namespace tolvideo
