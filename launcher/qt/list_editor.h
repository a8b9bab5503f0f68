// The list file editor.
#pragma once

#include <QDialog>
#include <QListWidget>

#include "core/launcher.h"
#include "core/list_model.h"

namespace tolvideo {

class ListEditor : public QDialog {
 public:
  ListEditor(QWidget* owner, Launcher& launcher, const std::string& text);
  const ListModel& model() const { return model_; }

 protected:
  void reject() override;  // "&Close" and closing the window

 private:
  void refresh();
  void showFields();
  void fieldsEdited();
  bool askName(std::string& name);
  bool saveAs();

  Launcher& launcher_;
  ListModel model_;
  QListWidget* list_;
  int guard_ = 0;  // the editor's own changes of the boxes are not edits
};

}  // namespace tolvideo
