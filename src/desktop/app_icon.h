#pragma once

#include <QIcon>

namespace tactoria {

// The program's icon, drawn at 16 x 16 and 32 x 32.
QIcon AppIcon();

}  // namespace tactoria
