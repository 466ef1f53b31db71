#pragma once

#include <QDialog>
#include <cstddef>
#include <optional>

#include "output/slice_export_choices.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tactoria {

// The Export Slices dialog: where to cut ("Hits" or "Grid"), the sensitivity of the hits, the
// snap, the fades, and the sampler files to write besides the slices. Accepted with "Export...".
// Controls carry their names as object names ("OptHits", "TxtFadeIn", "ChkSfz", "CmdExport").
class FrmExportSlices : public QDialog {
  Q_OBJECT

 public:
  // `editedMarkers`: the count of markers edited by hand in the Preview, which "Hits" then cuts
  // at instead of finding the hits again.
  FrmExportSlices(const SliceExportChoices& choices, std::optional<std::size_t> editedMarkers,
                  QWidget* parent = nullptr);

  SliceExportChoices Choices() const;

 private:
  void CutChanged();

  std::optional<std::size_t> editedMarkers_;
  QRadioButton* optHits_;
  QRadioButton* optGrid_;
  QLabel* lblCut_;
  QDoubleSpinBox* txtSensitivity_;
  QCheckBox* chkSnap_;
  QDoubleSpinBox* txtFadeIn_;
  QDoubleSpinBox* txtFadeOut_;
  QCheckBox* chkSfz_;
  QCheckBox* chkSf2_;
  QCheckBox* chkMidi_;
  QCheckBox* chkMarked_;
  QPushButton* cmdExport_;
};

}  // namespace tactoria
