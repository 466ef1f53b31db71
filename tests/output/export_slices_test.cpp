// File > Export Slices... on real files: the dialog's choices, remembered; the cuts at the hits, at
// the beats (as Span As) or at the Preview's own markers; the same files as tactoria-cli slice; the
// question about existing files and the refusals, which write nothing.
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "output/frm_export_slices.h"
#include "output_fixture.h"
#include "slices/slice_state.h"
#include "support/drum_loops.h"
#include "support/tool_run.h"

namespace tactoria::testing {
namespace {

const std::vector<std::int64_t> kBursts = {0, 22050, 44100, 66150};

Bytes DataOf(const Bytes& wave) {  // the sound of a file with only "fmt " and "data"
  return Bytes(wave.begin() + 44, wave.end());
}

void Set(FrmExportSlices& d, const SliceExportChoices& c) {
  d.findChild<QRadioButton*>(c.cut == SliceMode::Grid ? "OptGrid" : "OptHits")->setChecked(true);
  d.findChild<QDoubleSpinBox*>("TxtSensitivity")->setValue(c.sensitivity);
  d.findChild<QCheckBox*>("ChkSnap")->setChecked(c.snap);
  d.findChild<QDoubleSpinBox*>("TxtFadeIn")->setValue(c.fadeInMs);
  d.findChild<QDoubleSpinBox*>("TxtFadeOut")->setValue(c.fadeOutMs);
  d.findChild<QCheckBox*>("ChkSfz")->setChecked(c.sfz);
  d.findChild<QCheckBox*>("ChkSf2")->setChecked(c.sf2);
  d.findChild<QCheckBox*>("ChkMidi")->setChecked(c.midi);
  d.findChild<QCheckBox*>("ChkMarked")->setChecked(c.marked);
}

class ExportSlicesTest : public OutputTest {
 protected:
  void SetUp() override { Open("loop.wav", PcmWave(NoiseBursts(88200, kBursts, 7))); }
  // Runs the command with the Preview's slicing `shown`; `drive` works the dialog, which is then
  // accepted with "Export..." unless `drive` closed it.
  void Export(const std::function<void(FrmExportSlices&)>& drive, const SliceState& shown = {}) {
    QObject scope;
    bool opened = false;
    QTimer::singleShot(0, &scope, [&] {
      if (auto* d = qobject_cast<FrmExportSlices*>(QApplication::activeModalWidget())) {
        opened = true;
        drive(*d);
        if (d->isVisible()) d->findChild<QPushButton*>("CmdExport")->click();
      }
    });
    window.commands.ExportSlices(settings, shown);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(Released());
  }
  void Export(const SliceExportChoices& c, const SliceState& shown = {}) {
    Export([&](FrmExportSlices& d) { Set(d, c); }, shown);
  }
  std::string Slice(const std::string& base, int n) const {
    return dir / (base + "[" + std::to_string(n) + "].wav");
  }
  // The frame counts of the slice files BASE[1].wav, BASE[2].wav, ... and their sounds joined.
  std::vector<std::int64_t> Lengths(const std::string& base, Bytes* joined = nullptr) const {
    std::vector<std::int64_t> lengths;
    for (int n = 1; std::filesystem::exists(Slice(base, n)); ++n) {
      const Bytes data = DataOf(ReadBytes(Slice(base, n)));
      lengths.push_back(static_cast<std::int64_t>(data.size() / 4));
      if (joined) joined->insert(joined->end(), data.begin(), data.end());
    }
    return lengths;
  }
  QString Dir() const { return QString::fromStdString(dir.path().string()); }
  MemorySettings settings;
  const SliceExportChoices noFades = [] {
    SliceExportChoices c;
    c.fadeInMs = c.fadeOutMs = 0;
    return c;
  }();
};

TEST_F(ExportSlicesTest, HitsWithSamplerFilesJoinToTheRenderAsTheCommandLineWritesThem) {
  window.render.newFrames = 66150;  // three quarters: the bursts at 0, 16537, 33075 and 49612
  ChooseSave("whole.wav");
  window.commands.SaveAs();
  SliceExportChoices c = noFades;
  c.sfz = c.midi = c.marked = true;
  ChooseSave("kit.wav");
  TakeLog();
  Export(c);
  EXPECT_EQ(TakeLog(),
            (QStringList{"save|Export Slices As",
                         "message|Export Slices|Exported 4 slices to " + Dir() +
                             ": kit[1].wav to kit[4].wav, kit.sfz, kit.mid and kit.wav.|information"}));
  Bytes joined;
  const std::vector<std::int64_t> lengths = Lengths("kit", &joined);
  ASSERT_EQ(lengths.size(), kBursts.size());
  std::int64_t start = 0;
  for (std::size_t k = 0; k < lengths.size(); start += lengths[k++])
    EXPECT_LE(std::llabs(start - kBursts[k] * 3 / 4), 32) << k;
  EXPECT_EQ(joined, DataOf(ReadBytes(dir / "whole.wav")));
  // tactoria-cli slice writes the same bytes for the same choices.
  std::filesystem::create_directory(dir / "cli");
  const ToolRun run = RunTool({"slice", dir / "loop.wav", dir / "cli/kit", "--frames", "66150", "--fade-in",
                               "0", "--fade-out", "0", "--sfz", "--midi", "--marked"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const std::string name :
       {"kit[1].wav", "kit[2].wav", "kit[3].wav", "kit[4].wav", "kit.sfz", "kit.mid", "kit.wav"})
    EXPECT_EQ(ReadBytes(dir / name), ReadBytes(dir / ("cli/" + name))) << name;
}

TEST_F(ExportSlicesTest, GridCutsAsSpanAs) {
  window.render.newFrames = 66151;  // 4 beats of 16537 frames and 3 frames left over
  ChooseSave("drum.wav");
  window.commands.SpanAs();
  SliceExportChoices c = noFades;
  c.cut = SliceMode::Grid;
  ChooseSave("grid");
  Export(c);
  ASSERT_EQ(Lengths("grid"), (std::vector<std::int64_t>(4, 16537)));
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(ReadBytes(Slice("grid", n)), ReadBytes(Slice("drum", n))) << n;
}

TEST_F(ExportSlicesTest, ThePreviewsEditedMarkersAreTheCutsAndTheChoicesAreRemembered) {
  window.render.newFrames = 44100;
  // Markers edited on a render of 88200 frames: moved to the same places of this one, as the
  // Preview moves them. A marker on the first frame adds no cut.
  SliceState shown;
  shown.mode = SliceMode::Hits;
  shown.markers = {0, 10000, 30000};
  shown.soundFrames = 88200;
  shown.edited = true;
  settings.SetValue("ExportSlices", "Cut", "Grid");  // the Preview's cut wins
  ChooseSave("mine");
  Export(
      [&](FrmExportSlices& d) {
        EXPECT_TRUE(d.findChild<QRadioButton*>("OptHits")->isChecked());
        EXPECT_EQ(d.findChild<QLabel*>("LblCut")->text(), "The 3 markers edited in the Preview.");
        EXPECT_FALSE(d.findChild<QDoubleSpinBox*>("TxtSensitivity")->isEnabled());
        Set(d, noFades);
      },
      shown);
  EXPECT_EQ(Lengths("mine"), (std::vector<std::int64_t>{5000, 10000, 29100}));
  TakeLog();

  // Every choice comes back in the next dialog; with no Preview shown, the cut too.
  SliceExportChoices c{SliceMode::Grid, 0.75, true, 1.5, 2.5, true, true, false, true};
  ChooseSave("");
  Export(c);
  EXPECT_EQ(settings.Value("ExportSlices", "Cut"), "Grid");
  Export([&](FrmExportSlices& d) {
    EXPECT_EQ(d.Choices(), c);
    d.reject();
  });
  EXPECT_EQ(TakeLog(), QStringList{"save|Export Slices As"});  // cancelled; no second save dialog
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"loop.wav", "mine[1].wav", "mine[2].wav", "mine[3].wav"}));
}

TEST_F(ExportSlicesTest, NoToExistingFilesOrARefusalWritesNothing) {
  const Bytes former = PcmWave(Ramp(8));
  WriteBytes(dir / "kit[1].wav", former);
  SliceExportChoices keyed = noFades, longFades, sfz;
  keyed.cut = SliceMode::Grid;
  keyed.sf2 = sfz.sfz = true;
  longFades.fadeInMs = 600;
  SliceState lastFrame{SliceMode::Hits, {5000, 88199}, 88200, true};
  window.bars = "32";  // 128 beats
  // The last message or question of each run.
  const std::vector<std::tuple<SliceExportChoices, SliceState, QString>> cases{
      {sfz,
       {},
       "question|Files Exist|1 of the 5 files to write already exist, such as " + Dir() +
           "/kit[1].wav.\nDo you want to replace them?"},
      {keyed,
       {},
       "The sound has 128 slices, but only 92 keys from 36 (C1) to 127 can take one each. Cut "
       "fewer slices, or leave out SFZ, SoundFont (SF2) and MIDI.|exclamation"},
      {longFades,
       {},
       "Slice 1 is 22050 frames (500.00 ms) long, shorter than its fades (26460 frames in "
       "and 176 out). Lower Fade in or Fade out, or move the markers apart.|exclamation"},
      {noFades, lastFrame,
       "A slice marker cannot be on the first or the last frame of the sound (frame "
       "88199).|exclamation"},
  };
  window.dialogs.answers = {Answer::No};
  for (const auto& [choices, shown, last] : cases) {
    ChooseSave("kit.wav");
    Export(choices, shown);
    EXPECT_TRUE(TakeLog().back().endsWith(last)) << last.toStdString();
  }
  EXPECT_EQ(ReadBytes(dir / "kit[1].wav"), former);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"kit[1].wav", "loop.wav"}));
  // Yes replaces.
  window.dialogs.answers = {Answer::Yes};
  ChooseSave("kit.wav");
  Export(sfz);
  EXPECT_EQ(Lengths("kit").size(), 4);
  EXPECT_TRUE(std::filesystem::exists(dir / "kit.sfz"));
}

}  // namespace
}  // namespace tactoria::testing
