#pragma once

#include <QString>

// Where thisyear.csv and the Archive folder live. The executable's own folder
// when it already holds them or the user can write into it (the program
// unpacked or built in a folder of the user's); otherwise, as when installed
// under /usr, the user's data folder: $XDG_DATA_HOME/palomet, by default
// ~/.local/share/palomet, created when chosen.
namespace ProgramFolder {

QString choose(const QString& executableFolder);

} // namespace ProgramFolder
