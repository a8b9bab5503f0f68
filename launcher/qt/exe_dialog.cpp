#include "qt/exe_dialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "core/file_names.h"
#include "qt/pickers.h"
#include "qt/widgets.h"

namespace tolvideo {

ExeDialog::ExeDialog(QWidget* owner, Launcher& launcher, const ExeOptions& options)
    : QDialog(owner), launcher_(launcher), zurn_(options.zurn) {
  setWindowTitle("TOL Video to EXE Compiler...");
  setWindowIcon(options.zurn ? zurnIcon() : plevenIcon());
  setModal(true);
  auto* body = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap((options.zurn ? zurnIcon() : plevenIcon()).pixmap(32, 32));
  top->addWidget(icon);
  auto* grid = new QGridLayout;
  top->addLayout(grid, 1);
  body->addLayout(top);
  const std::pair<int, const char*> rows[] = {{500, "Video files:"}, {502, "Output EXE file:"}};
  for (int i = 0; i < 2; ++i) {
    auto* e = makeEdit(this, rows[i].first, 320);
    grid->addWidget(new QLabel(rows[i].second, this), i, 0);
    grid->addWidget(e, i, 1);
    grid->addWidget(makeButton(this, rows[i].first + 1, "Browse..."), i, 2);
  }
  grid->addWidget(new QLabel("Compile using what player switches:", this), 2, 0);
  grid->addWidget(makeEdit(this, 505), 2, 1);
  grid->addWidget(makeButton(this, 506, "List..."), 2, 2);
  grid->addWidget(makeCheck(this, 504, "Automatic overwrite?"), 3, 1);
  auto* target = new QGroupBox(" Target system: ", this);
  auto* tl = new QHBoxLayout(target);
  auto* group = new QButtonGroup(this);
  tl->addWidget(makeRadio(this, 507, "Win 95, Win 98, or Win NT", group));
  tl->addWidget(makeRadio(this, 508, "Windows 3.1", group));
  tl->addWidget(makeRadio(this, 509, "MS-DOS ", group));
  body->addWidget(target);

  auto* box = new QDialogButtonBox(this);
  auto* ok = box->addButton("OK", QDialogButtonBox::AcceptRole);
  ok->setObjectName("id1");
  box->addButton("&Cancel", QDialogButtonBox::RejectRole)->setObjectName("id2");
  auto* help = box->addButton("&Help", QDialogButtonBox::HelpRole);
  auto* how = box->addButton("Ho&w do I?", QDialogButtonBox::HelpRole);
  body->addWidget(box);

  setText(this, 500, options.files);
  setText(this, 502, options.output);
  setText(this, 505, options.playerSwitches);
  setChecked(this, 504, options.overwrite);
  setChecked(this, 507 + options.target, true);
  if (options.zurn) {
    control<QRadioButton>(this, 508)->setEnabled(false);
    control<QRadioButton>(this, 509)->setEnabled(false);
  }

  connect(ok, &QPushButton::clicked, this, [this] {
    if (launcher_.exeOk(read())) accept();
  });
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [this] { launcher_.help("2ex"); });
  connect(how, &QPushButton::clicked, this, [this] { launcher_.questions(); });
  connect(control<QPushButton>(this, 506), &QPushButton::clicked, this, [this] { launcher_.exeList(read()); });
  connect(control<QPushButton>(this, 501), &QPushButton::clicked, this, [this] {
    const std::string n = pickFiles(this, {false, "Choose the input video files...", zurn_ ? kFilterZurn : kFilterPleven,
                                           true, ""},
                                    launcher_.state().settings.path);
    if (!n.empty()) setText(this, 500, n);
  });
  connect(control<QPushButton>(this, 503), &QPushButton::clicked, this, [this] {
    const std::string n =
        pickFiles(this, {true, "Choose the output EXE filename...", kSaveExe, false, text(this, 502)},
                  launcher_.state().settings.path);
    if (!n.empty()) setText(this, 502, n);
  });
}

ExeOptions ExeDialog::read() const {
  auto* self = const_cast<ExeDialog*>(this);
  ExeOptions o;
  o.zurn = zurn_;
  o.files = text(self, 500);
  o.output = text(self, 502);
  o.playerSwitches = text(self, 505);
  o.overwrite = checked(self, 504);
  o.target = checked(self, 509) ? 2 : checked(self, 508) ? 1 : 0;
  return o;
}

}  // namespace tolvideo
