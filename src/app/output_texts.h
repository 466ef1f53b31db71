#pragma once

#include <QString>
#include <string>

#include "app/user_dialogs.h"
#include "wave/file_result.h"

class QWidget;

namespace tactoria {

// Texts the output commands and their dialogs show.
inline constexpr const char* kOutOfMemoryTitle = "Error: 5";
inline constexpr const char* kOutOfMemoryText = "Out of memory.";
inline constexpr const char* kWriteFailedText = "Failed to write data to the file.";
inline constexpr const char* kCreateFailedText = "Failed to create the file.";

// Reports a failed SaveToFile the way Save As does; nothing for Success.
void ShowSaveFailure(UserDialogs& dialogs, QWidget* parent, FileResult result);

// "Out of memory." under "Error: 5" with the critical icon.
void ShowOutOfMemory(UserDialogs& dialogs, QWidget* parent);

// Paths go to the core in the file system's own encoding.
std::string ToFsPath(const QString& path);
QString FromFsPath(const std::string& path);

}  // namespace tactoria
