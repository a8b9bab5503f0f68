// Small builders for the launcher's dialogs. Every control carries the
// object name "id<number>" of its control id, so tests and the dialog code
// find it by that id.
#pragma once

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string>
#include <vector>

namespace tolvideo {

QString qs(const std::string& s);
std::string ss(const QString& s);

QLineEdit* makeEdit(QWidget* parent, int id, int width = 0);
QCheckBox* makeCheck(QWidget* parent, int id, const char* text);
QRadioButton* makeRadio(QWidget* parent, int id, const char* text, QButtonGroup* group);
QComboBox* makeCombo(QWidget* parent, int id, const std::vector<const char*>& entries);
QPushButton* makeButton(QWidget* parent, int id, const char* text);

// A grid of rows: a label (or a check box) and a control.
class FormGrid {
 public:
  explicit FormGrid(QWidget* parent, QGridLayout* grid = nullptr, int firstRow = 0);
  QGridLayout* grid() { return grid_; }
  QLineEdit* edit(int id, const char* label, int width = 80);
  void row(QWidget* left, QWidget* right = nullptr);
  void span(QWidget* w);

 private:
  QWidget* parent_;
  QGridLayout* grid_;
  int row_ = 0;
};

// Finds a control by id.
template <class T>
T* control(QWidget* parent, int id) {
  return parent->findChild<T*>(QString("id%1").arg(id));
}

void setText(QWidget* parent, int id, const std::string& text);
std::string text(QWidget* parent, int id);
void setChecked(QWidget* parent, int id, bool on);
bool checked(QWidget* parent, int id);

// The launcher's two icons, drawn here: the Zurn film frame and the Pleven one.
QIcon zurnIcon();
QIcon plevenIcon();

}  // namespace tolvideo
