#include "util/filechecks.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/os.h"
#include "platform/ui.h"

TOL_NS_BEGIN

namespace {
constexpr size_t kQuestionSize = PATH_MAX + 32;
}  // namespace

uint32_t tolfilesize(const char* name) {
  if (!name) return 0;
  os::File f = os::openExisting(name, false);
  if (f == os::kInvalidFile) return 0;
  int64_t size = os::seek(f, 0, 2);
  os::close(f);
  if (size < 0) return 0;
  return size > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
}

int32_t overwrite(const char* name, int32_t useDialog) {
  if (!name || !os::exists(name)) return 1;
  // The status window and the threaded dialog put the same Yes/No question
  // with No as the default; until a window back end is installed the
  // message box interface asks on the terminal, or answers No without one.
  (void)useDialog;
  char question[kQuestionSize];
  std::snprintf(question, sizeof question, "File %s exists, overwrite?", name);
  ui::Answer a = ui::messageBox(question, "", ui::Icon::Question, ui::Buttons::YesNo, ui::Answer::No);
  return a == ui::Answer::Yes ? 1 : 0;
}

int32_t CheckForDup(const char* inputName, const char* outputName) {
  if (!inputName || !outputName) return 1;
  char in[PATH_MAX], out[PATH_MAX];
  bool differ = os::fullPath(inputName, in, sizeof in) && os::fullPath(outputName, out, sizeof out)
                    ? std::strcmp(in, out) != 0
                    : std::strcmp(inputName, outputName) != 0;
  std::error_code ec;
  if (differ && !std::filesystem::equivalent(inputName, outputName, ec)) return 1;
  ui::messageBox("Output filename must be different than the input filename.", "", ui::Icon::Error);
  return 0;
}

TOL_NS_END
