#include "qt/converter_dialog.h"

#include "core/file_names.h"
#include "core/switch_text.h"
#include "qt/pickers.h"

namespace tolvideo {

namespace {
const char* const kFormats[] = {"8-bit/mono", "8-bit/stereo", "16-bit/mono", "16-bit/stereo"};

QButtonGroup* radios(QWidget* owner, QGroupBox* box, int firstId, const std::vector<const char*>& texts) {
  auto* group = new QButtonGroup(owner);
  auto* l = new QVBoxLayout(box);
  for (size_t i = 0; i < texts.size(); ++i) l->addWidget(makeRadio(owner, firstId + static_cast<int>(i), texts[i], group));
  return group;
}

int checkedOf(QWidget* w, int firstId, int count) {
  for (int i = 0; i < count; ++i)
    if (checked(w, firstId + i)) return i;
  return 0;
}
}  // namespace

ConverterDialog::ConverterDialog(QWidget* owner, Launcher& launcher, const std::string& input)
    : ToolDialog(owner, launcher, launcher.state().settings.zurnConv, "Zurn Converter - " + input + " ...", "con",
                 false),
      input_(input) {
  auto* files = new QGridLayout;
  nameRow(files, 0, "Output filename:", 500, 501);
  auto* type = makeButton(this, 502, "Output type...");
  files->addWidget(type, 1, 2);
  files->addWidget(makeCheck(this, 503, "Automatic overwrite?"), 1, 1);
  body()->addLayout(files);

  auto* columns = new QHBoxLayout;
  body()->addLayout(columns);
  auto* left = new QVBoxLayout;
  columns->addLayout(left);
  left->addWidget(makeCheck(this, 504, "Convert &Video:"));
  video_ = new QGroupBox(this);
  FormGrid v(video_);
  v.edit(506, "Force frame rate:");
  v.edit(508, "Adjust to frame rate:");
  v.edit(510, "Start frame:");
  v.edit(512, "End frame:");
  v.edit(514, "Crop left:");
  v.edit(516, "Crop top:");
  v.edit(518, "Crop width:");
  v.edit(520, "Crop height:");
  v.span(makeCheck(this, 521, "Output as 256 colors (uncheck for true-color conversions):"));
  left->addWidget(video_);

  palette_ = new QGroupBox(" Palette: ", this);
  auto* pg = new QGridLayout(palette_);
  auto* from = new QButtonGroup(this);
  pg->addWidget(makeRadio(this, 523, "Input file", from), 0, 0);
  pg->addWidget(makeRadio(this, 524, "File:", from), 1, 0);
  pg->addWidget(makeEdit(this, 525, 120), 1, 1);
  pg->addWidget(makeButton(this, 526, "..."), 1, 2);
  FormGrid pe(palette_, pg, 2);
  pe.edit(528, "Palette entries to use:");
  pe.edit(530, "Start at:");
  pe.edit(532, "To rotate:");
  pe.edit(534, "New palette every how many frames:");
  auto* choices = new QHBoxLayout;
  auto* sys = new QGroupBox(" Windows system colours: ", this);
  radios(this, sys, 536, {"On new palettes", "Always", "Never"});
  auto* half = new QGroupBox(" Halftoning: ", this);
  radios(this, half, 540, {"On high-color", "Always", "Never"});
  auto* eight = new QGroupBox(" On 8-bit input: ", this);
  radios(this, eight, 544, {"Use existing palette", "Create new", "New on changes"});
  choices->addWidget(sys);
  choices->addWidget(half);
  choices->addWidget(eight);
  pg->addLayout(choices, 6, 0, 1, 3);
  left->addWidget(palette_);

  auto* right = new QVBoxLayout;
  columns->addLayout(right);
  right->addWidget(makeCheck(this, 547, "Convert &Audio:"));
  audio_ = new QGroupBox(this);
  auto* ag = new QGridLayout(audio_);
  FormGrid a(audio_, ag);
  a.edit(550, "Input from track:");
  a.edit(552, "Start input at (ms):");
  a.edit(554, "End input at (ms):");
  a.edit(556, "Skip into (bytes):");
  a.edit(559, "Output rate:");
  auto* out = new QGroupBox(" Output format: ", this);
  radios(this, out, 560, {"Use input format", kFormats[0], kFormats[1], kFormats[2], kFormats[3]});
  a.span(out);
  a.edit(567, "Override rate:");
  auto* over = new QGroupBox(" Override format: ", this);
  radios(this, over, 568, {"Use default", kFormats[0], kFormats[1], kFormats[2], kFormats[3]});
  a.span(over);
  right->addWidget(audio_);
  right->addStretch();
  addButtons();

  menu_ = new QMenu(this);
  menu_->setObjectName("typeMenu");
  for (int i = 0; i < kConverterTypeCount; ++i) {
    QAction* act = menu_->addAction(kConverterTypeNames[i]);
    act->setCheckable(true);
    connect(act, &QAction::triggered, this, [this, i] { chooseType(i); });
  }
  connect(type, &QPushButton::clicked, this, [this, type] {
    const auto actions = menu_->actions();
    for (int i = 0; i < actions.size(); ++i) actions[i]->setChecked(i == launcher_.state().converterType);
    menu_->exec(type->mapToGlobal(QPoint(16, -16)));
  });
  auto onBox = [this](int id, ConverterOptions::Box box) {
    connect(control<QCheckBox>(this, id), &QCheckBox::toggled, this, [this, box] { boxChanged(box); });
  };
  onBox(504, ConverterOptions::Box::Video);
  onBox(521, ConverterOptions::Box::Colors256);
  onBox(547, ConverterOptions::Box::Audio);
  connect(from, &QButtonGroup::buttonToggled, this, [this] { update(); });
  connect(control<QPushButton>(this, 526), &QPushButton::clicked, this, [this] {
    const std::string n = pickFiles(this, {false, "Choose the input palette filename...", kFilterGraphics, false, ""},
                                    launcher_.state().settings.path);
    if (!n.empty()) setText(this, 525, n);
  });
  connect(control<QPushButton>(this, 501), &QPushButton::clicked, this, [this] {
    const int kind = read().outputKind(launcher_.state().converterType);
    const std::string n = pickFiles(this, {true, "Choose the output filename...", kind, false, text(this, 500)},
                                    launcher_.state().settings.path);
    if (!n.empty()) setText(this, 500, n);
  });
  setText(this, 500, proposeOutputName(input, kSaveAvi));
  load();
}

ConverterOptions ConverterDialog::read() {
  ConverterOptions o;
  o.overwrite = checked(this, 503);
  o.frameRate = trimmed(text(this, 506));
  o.adjustRate = trimmed(text(this, 508));
  o.start = trimmed(text(this, 510));
  o.end = trimmed(text(this, 512));
  o.left = trimmed(text(this, 514));
  o.top = trimmed(text(this, 516));
  o.width = trimmed(text(this, 518));
  o.height = trimmed(text(this, 520));
  o.colors256 = checked(this, 521);
  o.video = checked(this, 504);
  o.audioStart = trimmed(text(this, 552));
  o.audioEnd = trimmed(text(this, 554));
  o.skip = trimmed(text(this, 556));
  o.outputRate = trimmed(text(this, 559));
  o.format = checkedOf(this, 560, 5);
  o.overrideRate = trimmed(text(this, 567));
  o.overrideFormat = checkedOf(this, 568, 5);
  o.audio = checked(this, 547);
  o.audioTrack = trimmed(text(this, 550));
  o.paletteEntries = trimmed(text(this, 528));
  o.paletteStart = trimmed(text(this, 530));
  o.paletteRotate = trimmed(text(this, 532));
  o.paletteEvery = trimmed(text(this, 534));
  o.paletteFromFile = checked(this, 524);
  o.paletteFile = trimmed(text(this, 525));
  o.systemColours = checkedOf(this, 536, 3);
  o.halftoning = checkedOf(this, 540, 3);
  o.eightBit = checkedOf(this, 544, 3);
  return o;
}

void ConverterDialog::showBoxes(const ConverterOptions& o) {
  filling_ = true;
  setChecked(this, 504, o.video);
  setChecked(this, 521, o.colors256);
  setChecked(this, 547, o.audio);
  filling_ = false;
  update();
}

void ConverterDialog::fill(const std::string& switches) {
  const auto o = ConverterOptions::fromSwitches(switches);
  setChecked(this, 503, o.overwrite);
  setText(this, 506, o.frameRate);
  setText(this, 508, o.adjustRate);
  setText(this, 510, o.start);
  setText(this, 512, o.end);
  setText(this, 514, o.left);
  setText(this, 516, o.top);
  setText(this, 518, o.width);
  setText(this, 520, o.height);
  setText(this, 552, o.audioStart);
  setText(this, 554, o.audioEnd);
  setText(this, 556, o.skip);
  setText(this, 559, o.outputRate);
  setChecked(this, 560 + o.format, true);
  setText(this, 567, o.overrideRate);
  setChecked(this, 568 + o.overrideFormat, true);
  setText(this, 550, o.audioTrack);
  setText(this, 528, o.paletteEntries);
  setText(this, 530, o.paletteStart);
  setText(this, 532, o.paletteRotate);
  setText(this, 534, o.paletteEvery);
  setChecked(this, o.paletteFromFile ? 524 : 523, true);
  setText(this, 525, o.paletteFile);
  setChecked(this, 536 + o.systemColours, true);
  setChecked(this, 540 + o.halftoning, true);
  setChecked(this, 544 + o.eightBit, true);
  showBoxes(o);
}

void ConverterDialog::chooseType(int type) {
  ConverterOptions o = read();
  o.chooseType(launcher_.state().converterType, type);
  showBoxes(o);
}

void ConverterDialog::boxChanged(ConverterOptions::Box box) {
  if (filling_) return;
  read().boxChanged(launcher_.state().converterType, box);
  update();
}

void ConverterDialog::update() {
  const ConverterOptions o = read();
  video_->setEnabled(o.videoControls());
  control<QCheckBox>(this, 521)->setEnabled(o.videoControls());
  palette_->setEnabled(o.paletteControls());
  control<QLineEdit>(this, 525)->setEnabled(o.paletteFileControls());
  control<QPushButton>(this, 526)->setEnabled(o.paletteFileControls());
  audio_->setEnabled(o.audioControls());
  setText(this, 500, reproposeConverterOutput(text(this, 500), input_, o.outputKind(launcher_.state().converterType)));
}

std::string ConverterDialog::build() { return read().toSwitches(); }

bool ConverterDialog::confirm() { return launcher_.converterOk(input_, text(this, 500), switches_); }

void ConverterDialog::defaults() {
  switches_ = "/z";
  fill(switches_);
}

}  // namespace tolvideo
