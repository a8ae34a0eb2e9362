#pragma once

#include <QStringList>
#include <optional>

// The program's own command line: --help and --version (also -h and -v)
// print to standard output and end the program, with no display needed.
// Every other argument is ignored and the window opens.
namespace CommandLine {

// The exit status after printing, or nullopt when the window is to open.
std::optional<int> answerInformationOptions(const QStringList& arguments);

} // namespace CommandLine
