// Where the converter writes until the end: files beside the output whose
// names start with ".zc<process id>." before the output's file name. At the
// end they are renamed to the output's names; on failure or cancel they are
// removed. So nothing appears under the output's names, and no file there is
// replaced, before the whole conversion has succeeded.
#pragma once

#include <string>
#include <vector>

namespace zurnconv {

class StagedOutput {
 public:
  explicit StagedOutput(const std::string& output);
  ~StagedOutput() { discard(); }
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  // The name to write to (the output's extension kept, so the writer
  // chooses the same kind).
  const std::string& name() const { return temp_; }
  // Bytes the staged name adds to the output's.
  static size_t extraLength();

  // A numbered series: the writer's printf pattern of the staged names
  // (OGFile.namePattern). Without it the output is the one file name().
  void setSeriesPattern(const std::string& stagedPattern);
  // The output's name for file `index` of a series (the output itself
  // otherwise).
  std::string finalName(int index) const;

  // Renames the `count` staged files (1 for a single file) to their final
  // names, replacing what is there. false with the system's message, and
  // nothing renamed left behind, when that fails.
  bool commit(int count, std::string& error);
  // Removes every staged file left (also the writer's ".tmp" files).
  void discard();

 private:
  std::string stagedName(int index) const;

  std::string output_, folder_, marker_, temp_;
  std::string stagedPattern_, finalPattern_;  // series only
};

}  // namespace zurnconv
