// The list file editor's list: entries of an input name and up to three
// switches (" /S" start, " /E" end, " /L" times to loop), saved as text
// lines ended by CR LF.
#pragma once

#include <string>
#include <vector>

#include "core/services.h"

namespace tolvideo {

class ListModel {
 public:
  // Opens a list file (extension .lst or .list) or builds a new list from
  // the names of the text, asking about sequences. Empty text: empty list.
  void open(const std::string& text, Services& services);

  const std::vector<std::string>& entries() const { return entries_; }
  int selected() const { return selected_; }
  void select(int index) { selected_ = index >= 0 && index < count() ? index : -1; }
  int count() const { return static_cast<int>(entries_.size()); }
  bool changed() const { return changed_; }
  const std::string& name() const { return name_; }
  // "List file editor - <name>" or "... - Untitled.lst".
  std::string caption() const;

  // The start, end and loop values of the selected entry ("" when absent).
  struct Fields {
    std::string start, end, loops;
  };
  Fields fields() const;
  // Rewrites the selected entry from the three boxes' texts.
  void setFields(const Fields& f);

  // Appends names, each through the sequence question.
  void add(const std::vector<std::string>& names, Services& services);
  void remove();
  void duplicate();
  void moveUp();
  void moveDown();

  // Writes every entry and CR LF; false (still changed) when the file
  // cannot be created.
  bool save(const std::string& fileName);
  // Where the save dialog starts: the list's name, or folder + "untitled".
  std::string saveProposal(const std::string& currentFolder) const;

  // For entries built from names: the sequence state of the previous name.
  struct SequenceMemory {
    std::string key;
    bool accepted = false;
  };

 private:
  void addName(const std::string& name, SequenceMemory& memory, Services& services);

  std::vector<std::string> entries_;
  int selected_ = -1;
  bool changed_ = false;
  std::string name_;
};

}  // namespace tolvideo
