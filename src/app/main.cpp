#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "desktop/app_icon.h"
#include "desktop/start_options.h"
#include "ui/product_name.h"
#include "ui/qsettings_store.h"
#include "ui/qt_user_dialogs.h"
#include "window/frm_main.h"

namespace {

QStringList Arguments(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QFile::decodeName(argv[i]);
  return arguments;
}

int Print(std::FILE* stream, const QString& text, int status) {
  std::fputs(text.toLocal8Bit().constData(), stream);
  return status;
}

int UsageError(const QString& error) {
  return Print(stderr, QStringLiteral("tactoria: %1\nTry 'tactoria --help'.\n").arg(error), 2);
}

}  // namespace

int main(int argc, char* argv[]) {
  using tactoria::StartOptions;
  // Help and version are answered without a display.
  const StartOptions early = tactoria::ParseStartOptions(Arguments(argc, argv));
  if (early.action == StartOptions::Action::Help) return Print(stdout, tactoria::StartHelpText(), 0);
  if (early.action == StartOptions::Action::Version) return Print(stdout, tactoria::StartVersionText(), 0);

  QApplication app(argc, argv);  // takes its own options out of argv
  const StartOptions options = tactoria::ParseStartOptions(Arguments(argc, argv));
  if (options.action == StartOptions::Action::UsageError) return UsageError(options.error);

  QApplication::setOrganizationName(tactoria::kProductName);
  QApplication::setApplicationName(tactoria::kProductName);
  QApplication::setDesktopFileName(QStringLiteral("io.github.tactoria.tactoria"));
  QApplication::setWindowIcon(tactoria::AppIcon());

  tactoria::QSettingsStore settings;
  tactoria::QtUserDialogs dialogs;
  // The window loads the remembered folders first and writes them back when it closes.
  tactoria::FrmMain window(dialogs, settings);
  window.adjustSize();
  if (const QScreen* screen = window.screen()) {
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
  }
  window.show();
  // A file named on the command line opens once the window is up, so a refusal's message
  // box has its owner on screen.
  if (!options.file.isEmpty())
    QTimer::singleShot(0, &window, [&window, file = options.file] { window.OpenSoundPath(file); });
  return app.exec();
}
