#include "output/frm_export_slices.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tactoria {
namespace {

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QDoubleSpinBox* NumberBox(const char* name, double low, double high, double step, const QString& suffix,
                          double value, QWidget* parent) {
  auto* box = Named(new QDoubleSpinBox(parent), name);
  box->setRange(low, high);
  box->setDecimals(2);
  box->setSingleStep(step);
  box->setSuffix(suffix);
  box->setValue(value);
  return box;
}

}  // namespace

FrmExportSlices::FrmExportSlices(const SliceExportChoices& choices, std::optional<std::size_t> editedMarkers,
                                 QWidget* parent)
    : QDialog(parent), editedMarkers_(editedMarkers) {
  setObjectName(QStringLiteral("FrmExportSlices"));
  setWindowTitle(QStringLiteral("Export Slices"));

  optHits_ = Named(new QRadioButton(QStringLiteral("Hits"), this), "OptHits");
  optGrid_ = Named(new QRadioButton(QStringLiteral("Grid"), this), "OptGrid");
  (choices.cut == SliceMode::Grid ? optGrid_ : optHits_)->setChecked(true);
  lblCut_ = Named(new QLabel(this), "LblCut");
  txtSensitivity_ = NumberBox("TxtSensitivity", 0, 1, 0.05, {}, choices.sensitivity, this);
  txtSensitivity_->setToolTip(QStringLiteral("0 finds only the loudest hits, 1 the faintest"));
  chkSnap_ = Named(new QCheckBox(QStringLiteral("Snap to zero crossings"), this), "ChkSnap");
  chkSnap_->setChecked(choices.snap);
  chkSnap_->setToolTip(QStringLiteral("Moves every cut to the nearest zero crossing within 2 ms"));
  const QString ms = QStringLiteral(" ms");
  txtFadeIn_ = NumberBox("TxtFadeIn", 0, kMaxFadeMs, 0.5, ms, choices.fadeInMs, this);
  txtFadeOut_ = NumberBox("TxtFadeOut", 0, kMaxFadeMs, 0.5, ms, choices.fadeOutMs, this);
  chkSfz_ = Named(new QCheckBox(QStringLiteral("SFZ"), this), "ChkSfz");
  chkSf2_ = Named(new QCheckBox(QStringLiteral("SoundFont (SF2)"), this), "ChkSf2");
  chkMidi_ = Named(new QCheckBox(QStringLiteral("MIDI"), this), "ChkMidi");
  chkMarked_ = Named(new QCheckBox(QStringLiteral("Marked WAV"), this), "ChkMarked");
  chkSfz_->setChecked(choices.sfz);
  chkSf2_->setChecked(choices.sf2);
  chkMidi_->setChecked(choices.midi);
  chkMarked_->setChecked(choices.marked);
  chkMarked_->setToolTip(QStringLiteral("The whole sound with a cue point per slice"));
  cmdExport_ = Named(new QPushButton(QStringLiteral("Export..."), this), "CmdExport");
  auto* cmdCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "CmdCancel");
  cmdExport_->setDefault(true);

  auto* cut = new QHBoxLayout;
  cut->addWidget(optHits_);
  cut->addWidget(optGrid_);
  cut->addStretch(1);
  auto* files = new QVBoxLayout;
  for (QCheckBox* box : {chkSfz_, chkSf2_, chkMidi_, chkMarked_}) files->addWidget(box);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Cut at:"), cut);
  form->addRow(QString(), lblCut_);
  form->addRow(QStringLiteral("Sensitivity:"), txtSensitivity_);
  form->addRow(QString(), chkSnap_);
  form->addRow(QStringLiteral("Fade in:"), txtFadeIn_);
  form->addRow(QStringLiteral("Fade out:"), txtFadeOut_);
  form->addRow(QStringLiteral("Also write:"), files);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdExport_);
  buttons->addWidget(cmdCancel);
  auto* whole = new QVBoxLayout(this);
  whole->addLayout(form);
  whole->addLayout(buttons);
  whole->setSizeConstraint(QLayout::SetFixedSize);

  connect(optHits_, &QRadioButton::toggled, this, &FrmExportSlices::CutChanged);
  connect(cmdExport_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
  CutChanged();
}

void FrmExportSlices::CutChanged() {
  const bool hits = optHits_->isChecked();
  const bool edited = hits && editedMarkers_;
  if (!hits) {
    lblCut_->setText(QStringLiteral("The beats, as Span As cuts them."));
  } else if (edited) {
    lblCut_->setText(QStringLiteral("The %1 markers edited in the Preview.").arg(*editedMarkers_));
  } else {
    lblCut_->setText(QStringLiteral("The hits, found again on the rendered sound."));
  }
  txtSensitivity_->setEnabled(hits && !edited);
}

SliceExportChoices FrmExportSlices::Choices() const {
  SliceExportChoices c;
  c.cut = optGrid_->isChecked() ? SliceMode::Grid : SliceMode::Hits;
  c.sensitivity = txtSensitivity_->value();
  c.snap = chkSnap_->isChecked();
  c.fadeInMs = txtFadeIn_->value();
  c.fadeOutMs = txtFadeOut_->value();
  c.sfz = chkSfz_->isChecked();
  c.sf2 = chkSf2_->isChecked();
  c.midi = chkMidi_->isChecked();
  c.marked = chkMarked_->isChecked();
  return c;
}

}  // namespace tactoria
