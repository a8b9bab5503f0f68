#include "qt/player_dialogs.h"

#include "core/player_options.h"
#include "core/switch_text.h"
#include "qt/exe_dialog.h"

namespace tolvideo {

namespace {

// "Loop the playback" and "Use this frame rate" with their boxes, and the
// window placement boxes, as both players have them.
void loopAndRate(QWidget* d, FormGrid& g) {
  g.row(makeCheck(d, 500, "Loop the playback (blank for infinite):"), makeEdit(d, 501, 60));
  g.row(makeCheck(d, 502, "Use this frame rate (blank for fast):"), makeEdit(d, 503, 60));
}

QGroupBox* disableKeys(QWidget* d) {
  auto* box = new QGroupBox(" Disable: ", d);
  auto* l = new QVBoxLayout(box);
  l->addWidget(makeCheck(d, 529, "Pause (space bar)"));
  l->addWidget(makeCheck(d, 530, "Skip to next (period)"));
  l->addWidget(makeCheck(d, 531, "Cancel (escape)"));
  return box;
}

QGroupBox* winStyle(QWidget* d, const std::vector<std::pair<int, const char*>>& styles) {
  auto* box = new QGroupBox(" Win style: ", d);
  auto* l = new QVBoxLayout(box);
  auto* group = new QButtonGroup(d);
  for (const auto& [id, text] : styles) l->addWidget(makeRadio(d, id, text, group));
  return box;
}

int comboIndex(QWidget* d, int id) { return control<QComboBox>(d, id)->currentIndex(); }
void setCombo(QWidget* d, int id, int index) { control<QComboBox>(d, id)->setCurrentIndex(index); }

std::string trimmedText(QWidget* d, int id) { return trimmed(text(d, id)); }

}  // namespace

PlayerDialog::PlayerDialog(QWidget* owner, Launcher& launcher, bool zurn, const std::string& files)
    : ToolDialog(owner, launcher, zurn ? launcher.state().settings.zurnPlay : launcher.state().settings.plevPlay,
                 (zurn ? "Zurn Player - " : "Pleven Player - ") + files + " ...", zurn ? "bap" : "sap", !zurn),
      zurn_(zurn),
      files_(files) {}

void PlayerDialog::addPlayerButtons() {
  auto* box = addButtons("&Play");
  auto* quick = box->addButton("Set as &Quick", QDialogButtonBox::ActionRole);
  quick->setObjectName("quick");
  connect(quick, &QPushButton::clicked, this, [this] {
    switches_ = build();
    launcher_.setQuick(zurn_, switches_);
  });
  auto* exe = box->addButton("Make &EXE", QDialogButtonBox::ActionRole);
  exe->setObjectName("exe");
  connect(exe, &QPushButton::clicked, this, [this] {
    switches_ = build();
    ExeDialog d(this, launcher_, ExeOptions::forPlayer(zurn_, files_, switches_, launcher_.state().exeOverwrite,
                                                      launcher_.state().exeTarget));
    d.exec();
  });
}

bool PlayerDialog::confirm() {
  launcher_.play(zurn_, files_, switches_);
  return false;
}

ZurnPlayerDialog::ZurnPlayerDialog(QWidget* owner, Launcher& launcher, const std::string& files)
    : PlayerDialog(owner, launcher, true, files) {
  auto* columns = new QHBoxLayout;
  body()->addLayout(columns);
  auto* playback = new QGroupBox(" Playback: ", this);
  FormGrid p(playback);
  loopAndRate(this, p);
  const std::pair<int, const char*> checks[] = {
      {504, "Show a playback summary."},       {505, "Show runtime playback statistics."},
      {506, "Don't skip frames."},             {507, "Don't pause when focus is lost."},
      {514, "Preload the entire file into memory."}, {515, "Don't use multi-threaded I/O."},
      {517, "Don't fill in open."},            {508, "Clear outside window to black."},
      {523, "Hide Windows mouse cursor in the Zurn window."}, {513, "Use waveOut for output."}};
  for (const auto& [id, t] : checks) p.span(makeCheck(this, id, t));
  control<QCheckBox>(this, 513)->setEnabled(false);  // the player always uses the sound device it finds
  p.edit(516, "Read-ahead memory (bytes):");
  p.edit(518, "Simulated read speed (bytes per second):");
  p.edit(512, "Sound track to play:");
  columns->addWidget(playback);

  auto* right = new QVBoxLayout;
  columns->addLayout(right);
  auto* display = new QGroupBox(" Display: ", this);
  FormGrid d(display);
  d.span(makeCombo(this, 509, kZurnFullScreen));
  d.span(makeCombo(this, 510, kZurnDepth));
  d.span(makeCombo(this, 511, kZurnBlitting));
  d.span(makeCombo(this, 537, kZurnScaling));
  d.span(makeCheck(this, 524, "Display as monochrome (faster)."));
  right->addWidget(display);
  auto* window = new QGroupBox(" Window: ", this);
  FormGrid w(window);
  w.edit(519, "Left:");
  w.edit(520, "Top:");
  w.edit(521, "Width:");
  w.edit(522, "Height:");
  right->addWidget(window);
  auto* row = new QHBoxLayout;
  row->addWidget(winStyle(this, {{526, "Title bar and border"}, {527, "Thick border / no title bar"},
                                 {528, "No title bar or border"}}));
  row->addWidget(disableKeys(this));
  right->addLayout(row);
  addPlayerButtons();
  auto* full = control<QComboBox>(this, 509);
  connect(full, &QComboBox::currentIndexChanged, this,
          [this](int i) { control<QComboBox>(this, 510)->setEnabled(i != 0); });
  load();
}

void ZurnPlayerDialog::fill(const std::string& switches) {
  const auto o = ZurnPlayerOptions::fromSwitches(switches);
  setChecked(this, 500, o.loop);
  setText(this, 501, o.loops);
  setChecked(this, 502, o.rate);
  setText(this, 503, o.frameRate);
  setChecked(this, 504, o.summary);
  setChecked(this, 505, o.statistics);
  setChecked(this, 506, o.noSkip);
  setChecked(this, 507, o.noPause);
  setChecked(this, 514, o.preload);
  setChecked(this, 515, o.noThreads);
  setChecked(this, 517, o.noFill);
  setChecked(this, 508, o.clearOutside);
  setChecked(this, 523, o.hideCursor);
  setChecked(this, 526 + o.winStyle, true);
  setText(this, 519, o.left);
  setText(this, 520, o.top);
  setText(this, 521, o.width);
  setCombo(this, 537, o.scaling);
  setChecked(this, 524, o.monochrome);
  setText(this, 522, o.height);
  setText(this, 516, o.readAhead);
  setText(this, 518, o.readSpeed);
  setText(this, 512, o.track);
  setChecked(this, 529, o.disablePause);
  setChecked(this, 530, o.disableSkip);
  setChecked(this, 531, o.disableCancel);
  setCombo(this, 509, o.fullScreen);
  setCombo(this, 510, o.depth);
  control<QComboBox>(this, 510)->setEnabled(o.fullScreen != 0);
  setCombo(this, 511, o.blitting);
}

std::string ZurnPlayerDialog::build() {
  ZurnPlayerOptions o;
  o.loop = checked(this, 500);
  o.loops = trimmedText(this, 501);
  o.rate = checked(this, 502);
  o.frameRate = trimmedText(this, 503);
  o.summary = checked(this, 504);
  o.statistics = checked(this, 505);
  o.noSkip = checked(this, 506);
  o.noPause = checked(this, 507);
  o.preload = checked(this, 514);
  o.noThreads = checked(this, 515);
  o.noFill = checked(this, 517);
  o.clearOutside = checked(this, 508);
  o.hideCursor = checked(this, 523);
  o.winStyle = checked(this, 527) ? 1 : checked(this, 528) ? 2 : 0;
  o.left = trimmedText(this, 519);
  o.top = trimmedText(this, 520);
  o.width = trimmedText(this, 521);
  o.scaling = comboIndex(this, 537);
  o.monochrome = checked(this, 524);
  o.height = trimmedText(this, 522);
  o.readAhead = trimmedText(this, 516);
  o.readSpeed = trimmedText(this, 518);
  o.track = trimmedText(this, 512);
  o.disablePause = checked(this, 529);
  o.disableSkip = checked(this, 530);
  o.disableCancel = checked(this, 531);
  o.fullScreen = comboIndex(this, 509);
  o.depth = comboIndex(this, 510);
  o.blitting = comboIndex(this, 511);
  return o.toSwitches();
}

PlevenPlayerDialog::PlevenPlayerDialog(QWidget* owner, Launcher& launcher, const std::string& files)
    : PlayerDialog(owner, launcher, false, files) {
  auto* columns = new QHBoxLayout;
  body()->addLayout(columns);
  auto* playback = new QGroupBox(" Playback: ", this);
  FormGrid p(playback);
  loopAndRate(this, p);
  const std::pair<int, const char*> checks[] = {
      {504, "Show a playback summary."},      {505, "Show frame numbers in caption."},
      {506, "Don't skip frames."},            {507, "Don't pause when focus is lost."},
      {513, "Use DirectSound."},              {535, "Sound only."},
      {514, "Preload the entire file into memory."}, {517, "Fill read ahead on file open."}};
  for (const auto& [id, t] : checks) p.span(makeCheck(this, id, t));
  p.edit(516, "Read-ahead memory (bytes):");
  p.edit(518, "Simulated read speed (bytes per second):");
  p.edit(512, "Play tracks (masked):");
  columns->addWidget(playback);

  auto* right = new QVBoxLayout;
  columns->addLayout(right);
  auto* display = new QGroupBox(" Display: ", this);
  FormGrid d(display);
  d.row(new QLabel("Resolution:", this), makeCombo(this, 509, kPlevResolution));
  d.row(new QLabel("Blitting:", this), makeCombo(this, 511, kPlevBlitting));
  d.row(new QLabel("Palette:", this), makeCombo(this, 532, kPlevPalette));
  d.row(new QLabel("2x zoom:", this), makeCombo(this, 533, kPlevZoom));
  d.row(new QLabel("Height scale:", this), makeCombo(this, 537, kPlevHeight));
  d.span(makeCheck(this, 510, "No blit acceleration."));
  right->addWidget(display);
  auto* window = new QGroupBox(" Window: ", this);
  FormGrid w(window);
  w.edit(519, "Left:");
  w.edit(520, "Top:");
  w.edit(521, "Width:");
  w.edit(522, "Height:");
  right->addWidget(window);
  auto* row = new QHBoxLayout;
  row->addWidget(winStyle(this, {{526, "Title bar and border"}, {527, "Thick border / no title bar"},
                                 {534, "Thin border / no title bar"}, {528, "No title bar or border"}}));
  row->addWidget(disableKeys(this));
  right->addLayout(row);
  addPlayerButtons();
  load();
}

namespace {
constexpr int kPlevStyleIds[] = {526, 527, 534, 528};
}

void PlevenPlayerDialog::fill(const std::string& switches) {
  const auto o = PlevenPlayerOptions::fromSwitches(switches);
  setChecked(this, 500, o.loop);
  setText(this, 501, o.loops);
  setChecked(this, 502, o.rate);
  setText(this, 503, o.frameRate);
  setChecked(this, 504, o.summary);
  setChecked(this, 505, o.frameNumbers);
  setChecked(this, 506, o.noSkip);
  setChecked(this, 507, o.noPause);
  setChecked(this, 513, o.directSound);
  setChecked(this, 535, o.soundOnly);
  setChecked(this, 514, o.preload);
  setChecked(this, 517, o.fill);
  setChecked(this, kPlevStyleIds[o.winStyle], true);
  setText(this, 519, o.left);
  setText(this, 520, o.top);
  setText(this, 521, o.width);
  setText(this, 522, o.height);
  setText(this, 516, o.readAhead);
  setText(this, 518, o.readSpeed);
  setText(this, 512, o.tracks);
  setChecked(this, 529, o.disablePause);
  setChecked(this, 530, o.disableSkip);
  setChecked(this, 531, o.disableCancel);
  setCombo(this, 509, o.resolution);
  setCombo(this, 532, o.palette);
  setCombo(this, 537, o.heightScale);
  setCombo(this, 511, o.blitting);
  setCombo(this, 533, o.zoom);
  setChecked(this, 510, o.noAcceleration);
}

std::string PlevenPlayerDialog::build() {
  PlevenPlayerOptions o;
  o.loop = checked(this, 500);
  o.loops = trimmedText(this, 501);
  o.rate = checked(this, 502);
  o.frameRate = trimmedText(this, 503);
  o.summary = checked(this, 504);
  o.frameNumbers = checked(this, 505);
  o.noSkip = checked(this, 506);
  o.noPause = checked(this, 507);
  o.directSound = checked(this, 513);
  o.soundOnly = checked(this, 535);
  o.preload = checked(this, 514);
  o.fill = checked(this, 517);
  for (int i = 0; i < 4; ++i)
    if (checked(this, kPlevStyleIds[i])) o.winStyle = i;
  o.left = trimmedText(this, 519);
  o.top = trimmedText(this, 520);
  o.width = trimmedText(this, 521);
  o.height = trimmedText(this, 522);
  o.readAhead = trimmedText(this, 516);
  o.readSpeed = trimmedText(this, 518);
  o.tracks = trimmedText(this, 512);
  o.disablePause = checked(this, 529);
  o.disableSkip = checked(this, 530);
  o.disableCancel = checked(this, 531);
  o.resolution = comboIndex(this, 509);
  o.palette = comboIndex(this, 532);
  o.heightScale = comboIndex(this, 537);
  o.blitting = comboIndex(this, 511);
  o.zoom = comboIndex(this, 533);
  o.noAcceleration = checked(this, 510);
  return o.toSwitches();
}

}  // namespace tolvideo
