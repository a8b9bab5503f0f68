#include "qt/app.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

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
  state.settings.load();
  state.site = documentationSite(state.tools.folder);
}

}  // namespace tolvideo
