#pragma once

#include <QString>
#include <string>

#include "ui/user_dialogs.h"
#include "wave/file_result.h"

class QWidget;

namespace tactoria {

// The save dialog that asks for the base name of the slice files: like a span's, it names its
// files itself (BASE[1].wav ...), so it neither adds ".wav" nor asks about an existing file.
inline constexpr const char* kExportSlicesAsTitle = "Export Slices As";

// Reports a failed SaveToFile the way Save As does; nothing for Success.
void ShowSaveFailure(UserDialogs& dialogs, QWidget* parent, FileResult result);

// "Out of memory." under "Error: 5" with the critical icon.
void ShowOutOfMemory(UserDialogs& dialogs, QWidget* parent);

// Paths go to the core in the file system's own encoding.
std::string ToFsPath(const QString& path);
QString FromFsPath(const std::string& path);

}  // namespace tactoria
