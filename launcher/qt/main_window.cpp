#include "qt/main_window.h"

#include <QDir>
#include <QShowEvent>
#include <QGridLayout>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "core/file_names.h"
#include "core/switch_text.h"
#include "qt/compressor_dialog.h"
#include "qt/converter_dialog.h"
#include "qt/list_editor.h"
#include "qt/mixer_dialog.h"
#include "qt/pickers.h"
#include "qt/player_dialogs.h"
#include "qt/widgets.h"
#include "tol/tolutil.h"

namespace tolvideo {
namespace {

constexpr uint32_t kStatusReportTag = 4660;  // a tool's status window closing

}  // namespace

MainWindow::MainWindow(LauncherState& state)
    : QFileDialog(nullptr, "TOL Video Tools"), state_(state), services_(this), launcher_(state, services_, *this) {
  setOption(QFileDialog::DontUseNativeDialog);
  setOption(QFileDialog::ReadOnly);
  setFileMode(QFileDialog::ExistingFiles);
  setDefaultSuffix("zrn");
  setLabelText(QFileDialog::Accept, "&Play");
  setLabelText(QFileDialog::Reject, "Close");
  setWindowIcon(zurnIcon());
  setSizeGripEnabled(true);
  if (!state.settings.path.empty() && QDir(qs(state.settings.path)).exists()) setDirectory(qs(state.settings.path));
  setFilterList(*this, openFilters(), 0);
  addToolButtons();
  connect(this, &QFileDialog::directoryEntered, this, [this](const QString& f) { folderChanged(f); });
  folderChanged(directory().absolutePath());
  listenForTools();
}

MainWindow::~MainWindow() {
  notifier_.reset();
  if (receiver_) CopyDataClose(receiver_);
}

void MainWindow::addToolButtons() {
  auto* group = new QGroupBox(" TOL Video Tools: ", this);
  group->setObjectName("id200");
  auto* grid = new QGridLayout(group);
  auto big = [&](int id, const QIcon& icon, const char* label) {
    auto* b = new QToolButton(group);
    b->setObjectName(QString("id%1").arg(id));
    b->setIcon(icon);
    b->setIconSize(QSize(32, 32));
    b->setText(label);
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setMinimumWidth(72);
    return b;
  };
  auto* zurn = big(149, zurnIcon(), "&Zurn it!");
  auto* plev = big(150, plevenIcon(), "&Plev it!");
  plev->setEnabled(false);
  grid->addWidget(zurn, 0, 0, 3, 1);
  grid->addWidget(plev, 0, 1, 3, 1);
  struct Entry {
    int id;
    const char* text;
  };
  const Entry buttons[] = {{159, "Ad&vanced play"}, {157, "Mi&x in sound"}, {155, "C&onvert a file"},
                           {160, "Analy&ze file"},  {156, "&List files..."}, {154, "Fil&e info"},
                           {158, "S&ystem info"},   {153, "&Find a file"},   {161, "New ve&rsion?"},
                           {151, "&Help"},          {152, "How &do I?"},     {101, "&About"}};
  int i = 0;
  for (const auto& e : buttons) {
    grid->addWidget(makeButton(group, e.id, e.text), i % 3, 2 + i / 3);
    ++i;
  }
  auto on = [this](int id, auto action) {
    auto* b = findChild<QAbstractButton*>(QString("id%1").arg(id));
    connect(b, &QAbstractButton::clicked, this, action);
  };
  on(149, [this] { launcher_.compress(selection()); });
  on(159, [this] { launcher_.advancedPlay(selection()); });
  on(157, [this] { launcher_.mix(selection()); });
  on(155, [this] { launcher_.convert(selection()); });
  on(160, [this] { launcher_.analyse(selection()); });
  on(156, [this] { launcher_.listFiles(selection()); });
  on(154, [this] { launcher_.fileInfo(selection()); });
  on(158, [this] { launcher_.systemInfo(); });
  on(153, [this] { launcher_.findFile(); });
  on(161, [this] {
    if (launcher_.newVersion(today())) reject();
  });
  on(151, [this] { launcher_.help("lp2"); });
  on(152, [this] { launcher_.questions(); });
  on(101, [this] { launcher_.about(); });

  auto* layout = qobject_cast<QGridLayout*>(this->layout());
  if (layout)
    layout->addWidget(group, layout->rowCount(), 0, 1, layout->columnCount());
  else
    this->layout()->addWidget(group);
}

std::string MainWindow::selection() const {
  // The file-name box holds what the user highlighted or typed, one name
  // bare or several each in double quotes.
  if (auto* edit = findChild<QLineEdit*>("fileNameEdit")) return trimmed(ss(edit->text()));
  std::vector<std::string> names;
  for (const auto& f : selectedFiles()) names.push_back(nameInFolder(ss(f), state_.settings.path));
  return selectionText(names);
}

void MainWindow::folderChanged(const QString& folder) {
  state_.settings.path = ss(QDir(folder).absolutePath());
  QDir::setCurrent(folder);
}

void MainWindow::accept() {
  // A folder is entered as usual; files are played and the window stays.
  const QStringList files = selectedFiles();
  if (files.size() == 1 && QFileInfo(files[0]).isDir()) {
    setDirectory(files[0]);  // tells nobody that the folder changed
    folderChanged(directory().absolutePath());
    return;
  }
  const std::string text = selection();
  QTimer::singleShot(0, this, [this, text] { launcher_.quickPlay(text); });
}

void MainWindow::done(int result) {
  storePlacement();
  QFileDialog::done(result);
}

void MainWindow::storePlacement() {
  const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
  state_.settings.x = r.x();
  state_.settings.y = r.y();
  state_.settings.w = r.width();
  state_.settings.h = r.height();
}

void MainWindow::showEvent(QShowEvent* e) {
  if (!shownOnce_) {
    shownOnce_ = true;
    const auto& s = state_.settings;
    if (s.w != 0 && s.h != 0)
      setGeometry(s.x, s.y, s.w, s.h);
    else
      move(s.x, s.y);
  }
  QFileDialog::showEvent(e);
  if (e->spontaneous()) return;  // back from minimised: not a new showing
  if (!state_.startupFile.empty()) QTimer::singleShot(0, this, [this] { launcher_.openStartupFile(); });
  QTimer::singleShot(0, this, [this] {
    if (launcher_.versionCheck(today())) reject();
  });
}

void MainWindow::listenForTools() {
  // Tools report their last status line here; it is taken and kept, and
  // nothing is done about it.
  receiver_ = CopyDataListen(state_.tools.id);
  if (!receiver_) return;
  notifier_ = std::make_unique<QSocketNotifier>(CopyDataDescriptor(receiver_), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    uint32_t tag, size;
    char data[1024];
    while (CopyDataReceive(receiver_, &tag, data, sizeof data - 1, &size, 0) == 1) {
      if (tag != kStatusReportTag) continue;
      data[std::min<uint32_t>(size, sizeof data - 1)] = 0;
      lastToolReport_ = data;
    }
  });
}

void MainWindow::listEditor(const std::string& text) {
  ListEditor editor(this, launcher_, text);
  editor.exec();
}

void MainWindow::player(bool zurn, const std::string& files) {
  if (zurn) {
    ZurnPlayerDialog d(this, launcher_, files);
    d.exec();
  } else {
    PlevenPlayerDialog d(this, launcher_, files);
    d.exec();
  }
}

void MainWindow::compressor(const std::string& input) {
  CompressorDialog d(this, launcher_, input);
  d.exec();
}

void MainWindow::mixer(bool zurn, const std::string& video, const std::string& sound) {
  MixerDialog d(this, launcher_, zurn, video, sound);
  d.exec();
}

void MainWindow::converter(const std::string& input) {
  ConverterDialog d(this, launcher_, input);
  d.exec();
}

}  // namespace tolvideo
