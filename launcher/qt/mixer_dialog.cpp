#include "qt/mixer_dialog.h"

#include "core/file_names.h"
#include "core/mixer_options.h"
#include "core/switch_text.h"
#include "qt/pickers.h"

namespace tolvideo {

namespace {
const char* const kFormats[] = {"8-bit/mono", "8-bit/stereo", "16-bit/mono", "16-bit/stereo"};
}

MixerDialog::MixerDialog(QWidget* owner, Launcher& launcher, bool zurn, const std::string& video,
                         const std::string& sound)
    : ToolDialog(owner, launcher, zurn ? launcher.state().settings.zurnMix : launcher.state().settings.plevMix,
                 (zurn ? "Zurn Audio Mixer - " : "Pleven Audio Mixer - ") + video + " ...", zurn ? "mab" : "mas",
                 !zurn),
      zurn_(zurn),
      video_(video) {
  auto* files = new QGridLayout;
  nameRow(files, 0, "Sound file to mix in:", 500, 501);
  nameRow(files, 1, "Output filename:", 502, 503);
  body()->addLayout(files);

  auto* columns = new QHBoxLayout;
  body()->addLayout(columns);
  auto* mix = new QGroupBox(" Mixing: ", this);
  FormGrid m(mix);
  m.edit(505, zurn ? "Sound compression level (0=lossless, 4=perceptibly lossless, 20=very lossy):"
                   : "Sound compression level (0=lossless, 9=very lossy):");
  m.edit(506, zurn ? "Mix into what Zurn track number (replaces existing track data):"
                   : "Mix into what track number (0 to 7 - replaces existing track):");
  m.edit(508, "Force frame rate:");
  m.edit(507, "Start mixing at what frame (minus gives milliseconds):");
  m.edit(514, "Output rate:");
  m.edit(520, "Override rate:");
  m.span(makeCheck(this, 504, "Automatic overwrite?"));
  m.span(makeCheck(this, 509, "Loop input audio"));
  columns->addWidget(mix);

  auto* right = new QVBoxLayout;
  columns->addLayout(right);
  auto* input = new QGroupBox(" Input: ", this);
  FormGrid in(input);
  in.edit(511, "Start input at (ms):");
  in.edit(512, "End input at (ms):");
  in.edit(510, "Input from track:");
  in.edit(513, "Skip into (bytes):");
  right->addWidget(input);

  auto* formats = new QHBoxLayout;
  right->addLayout(formats);
  auto* out = new QGroupBox(" Output format: ", this);
  auto* ov = new QVBoxLayout(out);
  auto* outGroup = new QButtonGroup(this);
  ov->addWidget(makeRadio(this, 515, "Use input format", outGroup));
  for (int i = 0; i < 4; ++i) ov->addWidget(makeRadio(this, 516 + i, kFormats[i], outGroup));
  formats->addWidget(out);
  auto* over = new QGroupBox(" Override format: ", this);
  auto* vv = new QVBoxLayout(over);
  auto* overGroup = new QButtonGroup(this);
  vv->addWidget(makeRadio(this, 521, "Use default", overGroup));
  for (int i = 0; i < 4; ++i) vv->addWidget(makeRadio(this, 522 + i, kFormats[i], overGroup));
  vv->addWidget(makeRadio(this, 526, "Non-sound", overGroup));
  formats->addWidget(over);
  right->addStretch();
  addButtons();

  connect(control<QPushButton>(this, 501), &QPushButton::clicked, this, [this] {
    const std::string n = pickFiles(this, {false, "Choose the input sound filename...", kFilterSound, false, ""},
                                    launcher_.state().settings.path);
    if (!n.empty()) setText(this, 500, n);
  });
  connect(control<QPushButton>(this, 503), &QPushButton::clicked, this, [this] {
    const std::string n =
        pickFiles(this,
                  {true, zurn_ ? "Choose the output Zurn filename..." : "Choose the output Pleven filename...",
                   zurn_ ? kSaveZurn : kSavePleven, false, text(this, 502)},
                  launcher_.state().settings.path);
    if (!n.empty()) setText(this, 502, n);
  });
  setText(this, 500, sound);
  setText(this, 502, proposeOutputName(video, zurn ? kSaveZurn : kSavePleven));
  load();
}

void MixerDialog::fill(const std::string& switches) {
  const auto o = MixerOptions::fromSwitches(switches, zurn_);
  setChecked(this, 504, o.overwrite);
  setChecked(this, 509, o.loop);
  setText(this, 505, o.level);
  setText(this, 506, o.track);
  setText(this, 508, o.frameRate);
  setText(this, 507, o.startAt);
  setText(this, 514, o.outputRate);
  setChecked(this, 515 + o.format, true);
  setText(this, 520, o.overrideRate);
  setText(this, 511, o.inputStart);
  setText(this, 512, o.inputEnd);
  setText(this, 510, o.inputTrack);
  setText(this, 513, o.skip);
  setChecked(this, 521 + o.overrideFormat, true);
}

std::string MixerDialog::build() {
  MixerOptions o;
  o.overwrite = checked(this, 504);
  o.loop = checked(this, 509);
  o.level = trimmed(text(this, 505));
  o.track = trimmed(text(this, 506));
  o.frameRate = trimmed(text(this, 508));
  o.startAt = trimmed(text(this, 507));
  o.outputRate = trimmed(text(this, 514));
  for (int i = 0; i < 5; ++i)
    if (checked(this, 515 + i)) o.format = i;
  o.overrideRate = trimmed(text(this, 520));
  o.inputStart = trimmed(text(this, 511));
  o.inputEnd = trimmed(text(this, 512));
  o.inputTrack = trimmed(text(this, 510));
  o.skip = trimmed(text(this, 513));
  for (int i = 0; i < 6; ++i)
    if (checked(this, 521 + i)) o.overrideFormat = i;
  return o.toSwitches();
}

bool MixerDialog::confirm() {
  return launcher_.mixerOk(zurn_, video_, text(this, 500), text(this, 502), switches_);
}

}  // namespace tolvideo
