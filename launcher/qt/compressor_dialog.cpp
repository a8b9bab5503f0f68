#include "qt/compressor_dialog.h"

#include "core/compressor_options.h"
#include "core/file_names.h"
#include "core/switch_text.h"
#include "qt/pickers.h"

namespace tolvideo {

CompressorDialog::CompressorDialog(QWidget* owner, Launcher& launcher, const std::string& input)
    : ToolDialog(owner, launcher, launcher.state().settings.zurnComp, "Zurn Compressor - " + input + " ...", "cwb",
                 false),
      input_(input) {
  auto* files = new QGridLayout;
  nameRow(files, 0, "Output filename:", 500, 501);
  body()->addLayout(files);

  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  body()->addLayout(columns);

  auto* rate = new QGroupBox(" Data rate: ", this);
  auto* rg = new QGridLayout(rate);
  auto* rateGroup = new QButtonGroup(this);
  rg->addWidget(makeRadio(this, 503, "Compress to a data rate (bytes per second):", rateGroup), 0, 0);
  rg->addWidget(makeEdit(this, 506, 80), 0, 1);
  rg->addWidget(makeRadio(this, 504, "Compress to a percent of the original file size:", rateGroup), 1, 0);
  rg->addWidget(makeEdit(this, 507, 80), 1, 1);
  left->addWidget(rate);

  auto* peak = new QGroupBox(" Keep each frame: ", this);
  auto* pg = new QGridLayout(peak);
  auto* peakGroup = new QButtonGroup(this);
  pg->addWidget(makeRadio(this, 523, "Under this many times the overall data rate:", peakGroup), 0, 0);
  pg->addWidget(makeEdit(this, 525, 80), 0, 1);
  pg->addWidget(makeRadio(this, 524, "Under this specific data rate (bytes per second):", peakGroup), 1, 0);
  pg->addWidget(makeEdit(this, 526, 80), 1, 1);
  left->addWidget(peak);

  auto* general = new QGroupBox(" Options: ", this);
  FormGrid g(general);
  g.edit(508, "Preview frames for bandwidth allocation (2-64):");
  g.edit(509, "Force frame rate (fractional frame rates ok):");
  g.edit(522, "Adjust to frame rate (adds/removes frames to hit rate):");
  g.edit(510, "Use key frame at least every how many frames:");
  g.edit(511, "Audio compression (0=lossless, 4=perceptibly lossless,\n20=very lossy, -1=no sound at all):");
  g.span(makeCheck(this, 502, "Automatic overwrite?"));
  left->addWidget(general);

  auto* height = new QGroupBox(" Height compression: ", this);
  auto* hl = new QHBoxLayout(height);
  auto* heightGroup = new QButtonGroup(this);
  hl->addWidget(makeRadio(this, 512, "None", heightGroup));
  hl->addWidget(makeRadio(this, 513, "Interlaced", heightGroup));
  hl->addWidget(makeRadio(this, 514, "Doubled", heightGroup));
  right->addWidget(height);

  auto* crop = new QGroupBox(" Cropping: ", this);
  FormGrid c(crop);
  c.edit(517, "Left:");
  c.edit(518, "Top:");
  c.edit(519, "Width:");
  c.edit(520, "Height:");
  right->addWidget(crop);

  auto* range = new QGroupBox(" Frame range: ", this);
  FormGrid r(range);
  r.edit(515, "Start:");
  r.edit(516, "End:");
  right->addWidget(range);

  auto* hints = new QGroupBox(" Compression hints: ", this);
  auto* hv = new QVBoxLayout(hints);
  hint_ = new QPlainTextEdit(this);
  hint_->setObjectName("hint");
  hint_->setMaximumHeight(70);
  hv->addWidget(hint_);
  right->addWidget(hints);
  right->addStretch();

  addButtons();
  connect(rateGroup, &QButtonGroup::buttonToggled, this, [this] { enableChoices(); });
  connect(peakGroup, &QButtonGroup::buttonToggled, this, [this] { enableChoices(); });
  connect(control<QPushButton>(this, 501), &QPushButton::clicked, this, [this] {
    const std::string name = pickFiles(this, {true, "Choose the output filename...", kSaveZurn, false, text(this, 500)},
                                       launcher_.state().settings.path);
    if (!name.empty()) setText(this, 500, name);
  });
  setText(this, 500, proposeOutputName(input, kSaveZurn));
  hint_->setPlainText(qs(launcher.state().hint));
  load();
}

void CompressorDialog::enableChoices() {
  control<QLineEdit>(this, 506)->setEnabled(checked(this, 503));
  control<QLineEdit>(this, 507)->setEnabled(checked(this, 504));
  control<QLineEdit>(this, 525)->setEnabled(checked(this, 523));
  control<QLineEdit>(this, 526)->setEnabled(checked(this, 524));
}

void CompressorDialog::fill(const std::string& switches) {
  const auto o = CompressorOptions::fromSwitches(switches);
  setChecked(this, 502, o.overwrite);
  setChecked(this, o.percent ? 504 : 503, true);
  setText(this, 506, o.rate);
  setText(this, 507, o.percentValue);
  setChecked(this, o.specificRate ? 524 : 523, true);
  setText(this, 525, o.times);
  setText(this, 526, o.specific);
  setText(this, 508, o.preview);
  setText(this, 509, o.frameRate);
  setText(this, 522, o.adjustRate);
  setText(this, 510, o.keyEvery);
  setText(this, 511, o.audio);
  setChecked(this, 512 + o.height, true);
  setText(this, 517, o.left);
  setText(this, 518, o.top);
  setText(this, 519, o.width);
  setText(this, 520, o.height_);
  setText(this, 515, o.start);
  setText(this, 516, o.end);
  enableChoices();
}

std::string CompressorDialog::build() {
  CompressorOptions o;
  o.overwrite = checked(this, 502);
  o.percent = checked(this, 504);
  o.rate = trimmed(text(this, 506));
  o.percentValue = trimmed(text(this, 507));
  o.specificRate = checked(this, 524);
  o.times = trimmed(text(this, 525));
  o.specific = trimmed(text(this, 526));
  o.preview = trimmed(text(this, 508));
  o.frameRate = trimmed(text(this, 509));
  o.adjustRate = trimmed(text(this, 522));
  o.keyEvery = trimmed(text(this, 510));
  o.audio = trimmed(text(this, 511));
  o.height = checked(this, 513) ? 1 : checked(this, 514) ? 2 : 0;
  o.left = trimmed(text(this, 517));
  o.top = trimmed(text(this, 518));
  o.width = trimmed(text(this, 519));
  o.height_ = trimmed(text(this, 520));
  o.start = trimmed(text(this, 515));
  o.end = trimmed(text(this, 516));
  launcher_.state().hint = trimmed(ss(hint_->toPlainText()));
  return o.toSwitches();
}

bool CompressorDialog::confirm() { return launcher_.compressorOk(input_, text(this, 500), switches_); }

void CompressorDialog::defaults() {
  launcher_.state().hint.clear();
  hint_->clear();
  ToolDialog::defaults();
}

}  // namespace tolvideo
