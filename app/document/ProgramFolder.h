#pragma once

#include <QString>

// Where thisyear.csv and the Archive folder live. The executable's own folder
// when it already holds them, or when the user can write into it and it is
// not a system folder (the program unpacked or built in a folder of the
// user's); otherwise, as when installed under /usr, the user's data folder:
// $XDG_DATA_HOME/palomet, by default ~/.local/share/palomet, created when
// chosen.
namespace ProgramFolder {

// $XDG_DATA_HOME/palomet, or ~/.local/share/palomet when XDG_DATA_HOME is
// unset or not an absolute path.
QString dataFolder();

QString choose(const QString& executableFolder);

} // namespace ProgramFolder
