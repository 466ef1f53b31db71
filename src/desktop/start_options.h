#pragma once

#include <QString>
#include <QStringList>

namespace tactoria {

// What the command line asks of the window program.
struct StartOptions {
  enum class Action { Run, Help, Version, UsageError };
  Action action = Action::Run;
  QString file;   // the file to open at start, made absolute; empty for none
  QString error;  // for UsageError
};

// Reads the arguments after the program's name. Help and version win wherever they stand, so
// they can be answered before the window system is started (whose own options, such as
// -platform, would otherwise count as unknown here).
StartOptions ParseStartOptions(const QStringList& arguments);

QString StartHelpText();
QString StartVersionText();

}  // namespace tactoria
