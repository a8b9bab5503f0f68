#include "qt/tool_dialog.h"

namespace tolvideo {

ToolDialog::ToolDialog(QWidget* owner, Launcher& launcher, std::string& switches, const std::string& title,
                       const char* helpKey, bool pleven)
    : QDialog(owner), launcher_(launcher), switches_(switches), body_(new QVBoxLayout(this)) {
  setWindowTitle(qs(title));
  setWindowIcon(pleven ? plevenIcon() : zurnIcon());
  setModal(true);
  setProperty("helpKey", helpKey);
}

QDialogButtonBox* ToolDialog::addButtons(const char* okText, bool withDefaults) {
  auto* box = new QDialogButtonBox(this);
  auto* ok = box->addButton(okText, QDialogButtonBox::AcceptRole);
  ok->setObjectName("id1");
  ok->setDefault(true);
  box->addButton("&Cancel", QDialogButtonBox::RejectRole)->setObjectName("id2");
  if (withDefaults) {
    auto* d = box->addButton("&Defaults", QDialogButtonBox::ResetRole);
    d->setObjectName("defaults");
    connect(d, &QPushButton::clicked, this, [this] { defaults(); });
  }
  auto* help = box->addButton("&Help", QDialogButtonBox::HelpRole);
  help->setObjectName("help");
  connect(help, &QPushButton::clicked, this,
          [this] { launcher_.help(property("helpKey").toString().toStdString()); });
  auto* how = box->addButton("Ho&w do I?", QDialogButtonBox::HelpRole);
  how->setObjectName("howto");
  connect(how, &QPushButton::clicked, this, [this] { launcher_.questions(); });
  connect(ok, &QPushButton::clicked, this, [this] {
    switches_ = build();
    if (confirm()) accept();
  });
  connect(box, &QDialogButtonBox::rejected, this, [this] { reject(); });
  body_->addWidget(box);
  return box;
}

QLineEdit* ToolDialog::nameRow(QGridLayout* grid, int row, const char* label, int editId, int browseId) {
  auto* edit = makeEdit(this, editId, 320);
  auto* l = new QLabel(label, this);
  l->setBuddy(edit);
  grid->addWidget(l, row, 0);
  grid->addWidget(edit, row, 1);
  grid->addWidget(makeButton(this, browseId, "Browse..."), row, 2);
  return edit;
}

void ToolDialog::defaults() {
  switches_.clear();
  fill(switches_);
}

void ToolDialog::reject() {
  switches_ = build();
  QDialog::reject();
}

}  // namespace tolvideo
