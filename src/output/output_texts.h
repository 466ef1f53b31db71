#pragma once

#include <QString>
#include <string>

#include "ui/user_dialogs.h"
#include "wave/file_result.h"

class QWidget;

namespace tactoria {

// Reports a failed SaveToFile the way Save As does; nothing for Success.
void ShowSaveFailure(UserDialogs& dialogs, QWidget* parent, FileResult result);

// "Out of memory." under "Error: 5" with the critical icon.
void ShowOutOfMemory(UserDialogs& dialogs, QWidget* parent);

// Paths go to the core in the file system's own encoding.
std::string ToFsPath(const QString& path);
QString FromFsPath(const std::string& path);

}  // namespace tactoria
