#pragma once

#include <QString>

namespace tactoria {

// The product name: window title, settings store, About box, untitled message boxes.
inline const QString kProductName = QStringLiteral("Tactoria");

}  // namespace tactoria
