#pragma once

// The faces the program names ("MS Sans Serif", "Times New Roman cyr") are
// Windows faces; map them onto metric-compatible faces that show Cyrillic.
void installFontSubstitutions();
