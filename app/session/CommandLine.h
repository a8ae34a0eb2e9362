#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The program's own command line: --help and --version (also -h and -v)
// print to standard output and end the program, with no display needed;
// --folder DIR keeps the register in DIR for this run (a folder on a file
// server, say), which must be a folder that exists; otherwise the program
// says why on standard error and ends with status 2. --due [DAYS] prints the
// units blocked in the last DAYS days or blocking in the next DAYS (30 when
// not given) to standard output, with no display, and ends. Every other
// argument is ignored and the window opens.
namespace CommandLine {

struct Start {
    std::optional<int> exitStatus; // end at once with it, having printed what to say
    QString folder; // the program folder chosen, or empty for the usual one
    QString problem; // with status 2: what is wrong with the folder, in Russian
    std::optional<int> dueDays = {}; // --due: the report for these days, then the end
};

Start read(const QStringList& arguments);

} // namespace CommandLine
