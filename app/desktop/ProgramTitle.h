#pragma once

#include <QString>

// What the main window, every message box and every progress of Palomet is
// titled.
inline QString programTitle()
{
    return QStringLiteral("Palomet");
}
