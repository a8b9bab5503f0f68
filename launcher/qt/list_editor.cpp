#include "qt/list_editor.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "core/file_names.h"
#include "qt/pickers.h"
#include "qt/widgets.h"

namespace tolvideo {

ListEditor::ListEditor(QWidget* owner, Launcher& launcher, const std::string& text)
    : QDialog(owner), launcher_(launcher) {
  setWindowTitle("List file editor");
  setWindowIcon(zurnIcon());
  setModal(true);
  auto* columns = new QHBoxLayout(this);
  auto* group = new QGroupBox(" List &file contents: ", this);
  auto* gl = new QVBoxLayout(group);
  list_ = new QListWidget(this);
  list_->setObjectName("id300");
  list_->setMinimumWidth(360);
  gl->addWidget(list_);
  FormGrid fields(nullptr, new QGridLayout);
  auto addField = [&](int id, const char* label) {
    auto* e = makeEdit(this, id, 80);
    auto* l = new QLabel(label, this);
    l->setBuddy(e);
    fields.row(l, e);
    connect(e, &QLineEdit::textChanged, this, [this] { fieldsEdited(); });
  };
  addField(500, "S&tart frame/ms:");
  addField(501, "&End:");
  addField(502, "T&imes to loop:");
  gl->addLayout(fields.grid());
  columns->addWidget(group, 1);

  auto* buttons = new QVBoxLayout;
  columns->addLayout(buttons);
  auto button = [&](int id, const char* label) {
    auto* b = makeButton(this, id, label);
    buttons->addWidget(b);
    return b;
  };
  auto* close = button(1, "&Close");
  close->setDefault(true);
  auto* saveAsButton = button(600, "&Save As...");
  auto* help = button(601, "&Help");
  buttons->addSpacing(12);
  auto* add = button(602, "&Add...");
  auto* remove = button(603, "&Remove");
  auto* dup = button(604, "Du&plicate");
  auto* up = button(605, "Move &up");
  auto* down = button(606, "Move &down");
  buttons->addStretch();

  connect(close, &QPushButton::clicked, this, [this] { reject(); });
  connect(saveAsButton, &QPushButton::clicked, this, [this] { saveAs(); });
  connect(help, &QPushButton::clicked, this, [this] { launcher_.help("mal"); });
  connect(add, &QPushButton::clicked, this, [this] {
    const std::string chosen = pickFiles(this, {false, "Choose the files to add...", kFilterMedia, true, ""},
                                         launcher_.state().settings.path);
    const auto names = splitSelection(chosen);
    model_.add(names, launcher_.services());
    refresh();
  });
  auto edit = [this](auto change) {
    return [this, change] {
      change();
      refresh();
    };
  };
  connect(remove, &QPushButton::clicked, this, edit([this] { model_.remove(); }));
  connect(dup, &QPushButton::clicked, this, edit([this] { model_.duplicate(); }));
  connect(up, &QPushButton::clicked, this, edit([this] { model_.moveUp(); }));
  connect(down, &QPushButton::clicked, this, edit([this] { model_.moveDown(); }));
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (guard_) return;
    model_.select(row);
    showFields();
  });

  model_.open(text, launcher_.services());
  refresh();
}

void ListEditor::refresh() {
  ++guard_;
  list_->clear();
  for (const auto& e : model_.entries()) list_->addItem(qs(e));
  list_->setCurrentRow(model_.selected());
  setWindowTitle(qs(model_.caption()));
  --guard_;
  showFields();
}

void ListEditor::showFields() {
  ++guard_;
  const auto f = model_.fields();
  setText(this, 500, f.start);
  setText(this, 501, f.end);
  setText(this, 502, f.loops);
  --guard_;
}

void ListEditor::fieldsEdited() {
  if (guard_ || model_.selected() < 0) return;
  model_.setFields({text(this, 500), text(this, 501), text(this, 502)});
  ++guard_;
  list_->item(model_.selected())->setText(qs(model_.entries()[model_.selected()]));
  --guard_;
}

bool ListEditor::askName(std::string& name) {
  name = pickFiles(this, {true, "Choose the output list filename...", kSaveList, false,
                          model_.saveProposal(launcher_.state().settings.path)},
                   launcher_.state().settings.path);
  return !name.empty();
}

bool ListEditor::saveAs() {
  std::string name;
  if (!askName(name)) return false;
  const bool saved = model_.save(name);
  setWindowTitle(qs(model_.caption()));
  return saved;
}

void ListEditor::reject() {
  if (model_.changed()) {
    switch (launcher_.services().ask("You have changed this list file, would you like to save it?", "Save?", true)) {
      case Answer::Cancel: return;
      case Answer::No: break;
      case Answer::Yes:
        if (model_.name().empty()) {
          if (!saveAs()) return;
        } else {
          model_.save(model_.name());
        }
        break;
    }
  }
  QDialog::reject();
}

}  // namespace tolvideo
