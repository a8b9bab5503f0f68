#include "qt/pickers.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>

#include "core/file_names.h"
#include "qt/widgets.h"

namespace tolvideo {

std::function<std::string(const PickerRequest&)> pickerHook;

namespace {

}  // namespace

void setFilterList(QFileDialog& d, const std::vector<FilterInfo>& filters, int selected) {
  QStringList descriptions;
  for (const auto& f : filters) descriptions << f.description;
  d.setNameFilters(descriptions);
  auto apply = [&d, filters, descriptions](const QString& chosen) {
    const auto index = descriptions.indexOf(chosen);
    auto* model = d.findChild<QFileSystemModel*>();
    if (index < 0 || !model) return;
    QStringList patterns;
    for (const auto& p : splitPatterns(filters[index].patterns)) patterns << (p == "*.*" ? "*" : qs(p));
    model->setNameFilterDisables(false);  // hide what does not match
    model->setNameFilters(patterns);
  };
  QObject::connect(&d, &QFileDialog::filterSelected, &d, apply);
  if (selected >= 0 && selected < descriptions.size()) {
    d.selectNameFilter(descriptions[selected]);
    apply(descriptions[selected]);
  }
}

std::string nameInFolder(const std::string& path, const std::string& folder) {
  const QFileInfo info(qs(path));
  if (!folder.empty() && QFileInfo(info.absolutePath()) == QFileInfo(qs(folder))) return ss(info.fileName());
  return ss(info.absoluteFilePath());
}

std::string pickFiles(QWidget* parent, const PickerRequest& r, const std::string& currentFolder) {
  if (pickerHook) return pickerHook(r);
  QFileDialog d(parent, qs(r.title), qs(currentFolder));
  d.setOption(QFileDialog::DontUseNativeDialog);
  if (r.save) {
    const SaveKindInfo& k = saveKind(r.filterOrKind);
    setFilterList(d, {{k.description, k.patterns}, {"All files (*.*)", "*.*"}}, 0);
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setFileMode(QFileDialog::AnyFile);
    d.setDefaultSuffix(k.extension);
    if (!r.start.empty()) d.selectFile(qs(proposeOutputName(r.start, r.filterOrKind)));
  } else {
    d.setFileMode(r.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    setFilterList(d, openFilters(), r.filterOrKind - 1);
  }
  if (d.exec() != QDialog::Accepted) return "";
  const QStringList files = d.selectedFiles();
  if (files.isEmpty()) return "";
  if (files.size() == 1) return nameInFolder(ss(files[0]), currentFolder);
  std::string out;
  for (const auto& f : files) out += '"' + nameInFolder(ss(f), currentFolder) + "\" ";
  return out;
}

}  // namespace tolvideo
