#include "qt/app.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "core/file_names.h"
#include "core/switch_text.h"
#include "platform/os.h"

namespace tolvideo {

std::string documentationSite(const std::string& programFolder) {
  QString site = QString::fromStdString(programFolder) + "../share/tolvideo/site";
  if (!QFileInfo(site + "/zurnfaq.htm").exists()) site = TOL_DOCS_DIR;
  return QUrl::fromLocalFile(QDir(site).absolutePath()).toString().toStdString();
}

void initState(LauncherState& state, int argc, char** argv) {
  char folder[4096];
  state.tools.folder = tol::os::programDirectory(folder, sizeof folder) ? folder : "./";
  state.tools.id = tol::os::processId();
  std::string startup;
  for (int i = 1; i < argc; ++i) startup += std::string(i > 1 ? " " : "") + argv[i];
  state.startupFile = trimmed(startup);
  // The window moves to the folder it shows: a file named relative to where
  // the launcher started keeps its full name.
  const auto names = splitSelection(state.startupFile);
  if (names.size() == 1 && QFileInfo::exists(QString::fromStdString(names[0])))
    state.startupFile = QFileInfo(QString::fromStdString(names[0])).absoluteFilePath().toStdString();
  state.settings.load();
  state.site = documentationSite(state.tools.folder);
}

}  // namespace tolvideo
