// From a new length typed into the main window to the repainted preview, measured through the
// real windows (offscreen): the field's change, the refresh, the worker's plan and summary, the
// queued result and the paint. Goals: 30 ms for a 16 s loop, 300 ms for 256 MB.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "preview/preview_window.h"
#include "preview/waveform_view.h"
#include "support/scripted_dialogs.h"
#include "window/frm_main.h"

namespace {

void WriteWave(const std::string& path, std::uint32_t dataBytes) {
  std::ofstream out(path, std::ios::binary);
  const auto le = [&out](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  out.write("RIFF", 4);
  le(36 + dataBytes, 4);
  out.write("WAVEfmt ", 8);
  le(16, 4);
  le(1, 2);
  le(2, 2);
  le(44100, 4);
  le(176400, 4);
  le(4, 2);
  le(16, 2);
  out.write("data", 4);
  le(dataBytes, 4);
  std::vector<char> block(1 << 20);
  for (std::size_t k = 0; k < block.size(); ++k) block[k] = static_cast<char>(k * 131 + (k >> 9));
  for (std::uint32_t left = dataBytes; left > 0;) {
    const auto n = std::min<std::uint32_t>(left, static_cast<std::uint32_t>(block.size()));
    out.write(block.data(), n);
    left -= n;
  }
}

void BM_NewLengthToRepaint(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("loop.wav").toStdString();
  const auto bytes = static_cast<std::uint32_t>(state.range(0));
  WriteWave(path, bytes);
  tactoria::testing::ScriptedDialogs dialogs;
  tactoria::testing::MemorySettings settings;
  tactoria::FrmMain window(dialogs, settings);
  window.show();
  dialogs.openChoices.push_back(tactoria::UserDialogs::FileChoice{dir.path(), QStringLiteral("loop.wav")});
  window.MnuOpenWave_Click();
  tactoria::PreviewWindow* preview = window.Preview();
  preview->show();
  QLineEdit* field = window.findChild<QLineEdit*>(QStringLiteral("TxtNewSamp"));
  const auto settle = [&] {
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
      if (!preview->Busy()) loop.quit();
    });
    QObject::connect(preview, &tactoria::PreviewWindow::Updated, &loop, [&] {
      if (!preview->Busy()) loop.quit();
    });
    loop.exec();
  };
  settle();
  const std::int64_t frames = bytes / 4;
  std::int64_t step = 0;
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    field->setText(QString::number(frames + frames / 10 + (++step % 7)));
    settle();
    preview->View().repaint();
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
  }
  window.close();
}

}  // namespace

BENCHMARK(BM_NewLengthToRepaint)
    ->Arg(16 * 44100 * 4)
    ->Arg(256 << 20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // No sound server is needed to draw.
  if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) qputenv("PULSE_SERVER", "unix:/nonexistent");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
