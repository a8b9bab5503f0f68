#include "qt/widgets.h"

#include <QPainter>
#include <QPixmap>

namespace tolvideo {

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

namespace {
template <class T>
T* named(T* w, int id) {
  w->setObjectName(QString("id%1").arg(id));
  return w;
}
}  // namespace

QLineEdit* makeEdit(QWidget* parent, int id, int width) {
  auto* e = named(new QLineEdit(parent), id);
  if (width) e->setMinimumWidth(width);
  return e;
}

QCheckBox* makeCheck(QWidget* parent, int id, const char* text) { return named(new QCheckBox(text, parent), id); }

QRadioButton* makeRadio(QWidget* parent, int id, const char* text, QButtonGroup* group) {
  auto* r = named(new QRadioButton(text, parent), id);
  if (group) group->addButton(r);
  return r;
}

QComboBox* makeCombo(QWidget* parent, int id, const std::vector<const char*>& entries) {
  auto* c = named(new QComboBox(parent), id);
  for (const char* e : entries) c->addItem(e);
  return c;
}

QPushButton* makeButton(QWidget* parent, int id, const char* text) {
  auto* b = named(new QPushButton(text, parent), id);
  b->setAutoDefault(false);
  return b;
}

FormGrid::FormGrid(QWidget* parent, QGridLayout* grid, int firstRow)
    : parent_(parent), grid_(grid ? grid : new QGridLayout(parent)), row_(firstRow) {}

QLineEdit* FormGrid::edit(int id, const char* label, int width) {
  auto* e = makeEdit(parent_, id, width);
  auto* l = new QLabel(label, parent_);
  l->setBuddy(e);
  row(l, e);
  return e;
}

void FormGrid::row(QWidget* left, QWidget* right) {
  if (right) {
    grid_->addWidget(left, row_, 0);
    grid_->addWidget(right, row_, 1);
  } else {
    grid_->addWidget(left, row_, 0, 1, 2);
  }
  ++row_;
}

void FormGrid::span(QWidget* w) { row(w); }

void setText(QWidget* parent, int id, const std::string& t) {
  if (auto* e = control<QLineEdit>(parent, id)) e->setText(qs(t));
}

std::string text(QWidget* parent, int id) {
  auto* e = control<QLineEdit>(parent, id);
  return e ? ss(e->text()) : std::string();
}

void setChecked(QWidget* parent, int id, bool on) {
  if (auto* b = control<QAbstractButton>(parent, id)) b->setChecked(on);
}

bool checked(QWidget* parent, int id) {
  auto* b = control<QAbstractButton>(parent, id);
  return b && b->isChecked();
}

namespace {

QIcon drawIcon(QColor frame, QColor fill, const char* letter) {
  QPixmap p(32, 32);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setBrush(frame);
  g.setPen(Qt::NoPen);
  g.drawRoundedRect(1, 3, 30, 26, 4, 4);
  g.setBrush(Qt::white);
  for (int i = 0; i < 4; ++i) {
    g.drawRect(4 + i * 7, 5, 4, 3);
    g.drawRect(4 + i * 7, 24, 4, 3);
  }
  g.setBrush(fill);
  g.drawRect(4, 10, 24, 12);
  g.setPen(Qt::white);
  QFont f = g.font();
  f.setBold(true);
  f.setPixelSize(11);
  g.setFont(f);
  g.drawText(QRect(4, 10, 24, 12), Qt::AlignCenter, letter);
  return QIcon(p);
}

}  // namespace

QIcon zurnIcon() { return drawIcon(QColor(30, 60, 120), QColor(200, 80, 30), "Z"); }
QIcon plevenIcon() { return drawIcon(QColor(40, 100, 50), QColor(120, 60, 160), "P"); }

}  // namespace tolvideo
