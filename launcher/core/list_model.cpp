#include "core/list_model.h"

#include <vector>

#include "core/file_names.h"
#include "core/sequence.h"
#include "core/switch_text.h"
#include "tol/tolfile.h"

namespace tolvideo {
namespace {

constexpr int32_t kListBuffer = 1024;
constexpr uint32_t kLineSize = 256;
constexpr size_t kFieldSize = 31;

}  // namespace

void ListModel::open(const std::string& text, Services& services) {
  entries_.clear();
  selected_ = -1;
  changed_ = false;
  name_.clear();
  const auto names = splitSelection(text);
  if (names.empty()) return;
  if (isListName(names[0])) {
    TOLFile* f = TOLFileOpen(kListBuffer, names[0].c_str(), TOLFILE_READ_ONLY);
    if (f) {
      char line[kLineSize];
      while (!TOLFileAtEnd(f)) entries_.emplace_back(TOLFileGetLine(f, line, kLineSize));
      TOLFileClose(f);
      name_ = names[0];
    }
  } else {
    add(names, services);
  }
  select(0);
}

std::string ListModel::caption() const {
  return "List file editor - " + (name_.empty() ? std::string("Untitled.lst") : name_);
}

void ListModel::addName(const std::string& name, SequenceMemory& memory, Services& services) {
  Sequence s = detectSequence(name);
  if (!s.found) {
    memory = {};
    entries_.push_back(name);
    return;
  }
  if (s.key == memory.key) {
    if (!memory.accepted) entries_.push_back(name);
    return;
  }
  memory.key = s.key;
  memory.accepted = askSequence(name, s, services);
  entries_.push_back(memory.accepted ? s.text : name);
}

void ListModel::add(const std::vector<std::string>& names, Services& services) {
  SequenceMemory memory;
  for (const auto& n : names) addName(n, memory, services);
  if (!names.empty()) changed_ = true;
}

ListModel::Fields ListModel::fields() const {
  if (selected_ < 0) return {};
  SwitchReader r(entries_[selected_]);
  Fields f;
  f.start = r.text('S');
  f.end = r.text('E');
  f.loops = r.text('L');
  return f;
}

void ListModel::setFields(const Fields& f) {
  if (selected_ < 0) return;
  SwitchReader r(entries_[selected_]);
  std::string ignored;
  r.text('S', ignored);
  r.text('E', ignored);
  r.text('L', ignored);
  std::string line = trimmed(r.rest());
  const std::pair<const char*, const std::string*> boxes[] = {{" /S", &f.start}, {" /E", &f.end}, {" /L", &f.loops}};
  for (const auto& [piece, value] : boxes) {
    const std::string v = trimmed(*value).substr(0, kFieldSize);
    if (!v.empty()) line += piece + v;
  }
  entries_[selected_] = line;
  changed_ = true;
}

void ListModel::remove() {
  if (selected_ < 0) return;
  entries_.erase(entries_.begin() + selected_);
  if (selected_ >= count()) selected_ = count() - 1;
  changed_ = true;
}

void ListModel::duplicate() {
  if (selected_ < 0) return;
  entries_.insert(entries_.begin() + selected_, entries_[selected_]);
  changed_ = true;
}

void ListModel::moveUp() {
  if (selected_ <= 0) return;
  std::swap(entries_[selected_ - 1], entries_[selected_]);
  --selected_;
  changed_ = true;
}

void ListModel::moveDown() {
  if (selected_ < 0 || selected_ >= count() - 1) return;
  std::swap(entries_[selected_ + 1], entries_[selected_]);
  ++selected_;
  changed_ = true;
}

bool ListModel::save(const std::string& fileName) {
  TOLFile* f = TOLFileCreate(kListBuffer, fileName.c_str());
  if (!f) return false;
  bool written = true;
  for (const auto& e : entries_) {
    const auto size = static_cast<uint32_t>(e.size());
    written = TOLFilePut(f, e.data(), size) == size && TOLFilePut(f, "\r\n", 2) == 2 && written;
  }
  TOLFileClose(f);
  if (!written) return false;
  name_ = fileName;
  changed_ = false;
  return true;
}

std::string ListModel::saveProposal(const std::string& currentFolder) const {
  if (!name_.empty()) return name_;
  std::string folder = currentFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + "untitled";
}

}  // namespace tolvideo
