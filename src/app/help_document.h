#pragma once

#include <QString>
#include <QUrl>

namespace tactoria {

// The program's help: the README with its walkthrough, installed under share/doc/tactoria.
// Looked for beside the running program first (any install prefix, a relocated package), then
// where this build installs it; when neither holds it, the path beside the program.
QString HelpDocumentPath();
QUrl HelpDocumentUrl();

}  // namespace tactoria
