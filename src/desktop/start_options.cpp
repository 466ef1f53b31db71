#include "start_options.h"

#include <QFileInfo>

#ifndef TACTORIA_VERSION
#define TACTORIA_VERSION "unknown"
#endif

namespace tactoria {

StartOptions ParseStartOptions(const QStringList& arguments) {
  StartOptions options;
  // Options end at "--"; a lone "-" is a file name like any other.
  const qsizetype end = arguments.indexOf(QStringLiteral("--"));
  const QStringList leading = end < 0 ? arguments : arguments.mid(0, end);
  for (const QString& argument : leading) {
    if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
      options.action = StartOptions::Action::Help;
      return options;
    }
    if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
      options.action = StartOptions::Action::Version;
      return options;
    }
  }

  QStringList files;
  for (const QString& argument : leading) {
    if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
      options.action = StartOptions::Action::UsageError;
      options.error = QStringLiteral("unknown option '%1'").arg(argument);
      return options;
    }
    files << argument;
  }
  if (end >= 0) files << arguments.mid(end + 1);

  if (files.size() > 1) {
    options.action = StartOptions::Action::UsageError;
    options.error = QStringLiteral("only one FILE can be opened");
    return options;
  }
  if (files.size() == 1) {
    if (files.front().isEmpty()) {
      options.action = StartOptions::Action::UsageError;
      options.error = QStringLiteral("the FILE name is empty");
      return options;
    }
    options.file = QFileInfo(files.front()).absoluteFilePath();
  }
  return options;
}

QString StartHelpText() {
  return QStringLiteral(
      "Usage: tactoria [OPTION]... [FILE]\n"
      "Shows a drum loop's format and tempo and changes its length; opens FILE, a PCM wave file,\n"
      "at start as File > Open does.\n"
      "\n"
      "  -h, --help     show this help and exit\n"
      "  -v, --version  show the version and exit\n"
      "\n"
      "The options of Qt (such as -platform NAME) are accepted too. Exit status: 0 when the window\n"
      "was closed or the help or version was shown, 2 for a usage error.\n");
}

QString StartVersionText() {
  return QStringLiteral("tactoria " TACTORIA_VERSION "\n");
}

}  // namespace tactoria
