// tolvideo: the launcher of the TOL Video Tools.
#include <QApplication>

#include "qt/app.h"
#include "qt/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tolvideo::LauncherState state;
  tolvideo::initState(state, argc, argv);
  tolvideo::MainWindow window(state);
  window.exec();
  state.settings.save();
  return 0;
}
