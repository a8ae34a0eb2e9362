#pragma once

#include <QFont>

// The faces the program names ("MS Sans Serif", "Times New Roman cyr") are
// Windows faces; map them onto metric-compatible faces that show Cyrillic.
void installFontSubstitutions();

// The program's interface face, "MS Sans Serif", at the given size.
QFont msSansSerif(double points, bool bold);
