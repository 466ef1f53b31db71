#pragma once

#include <QString>
#include <QUrl>

namespace tactoria {

// The program's help: the README with its walkthrough, installed under share/doc/tactoria.
// Looked for beside the running program first (any install prefix, a relocated package); else it
// is where this build installs it (also for a program run from its build folder).
QString HelpDocumentPath();
QUrl HelpDocumentUrl();

}  // namespace tactoria
