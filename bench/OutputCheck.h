#pragma once

#include <QString>

// What the program writes, reduced to digests: the register saved after
// opening, after "Сохранить как", after each header sort, and the pages
// printed for the first 1,000 entries, rendered to pixels. Speed work must
// not change a byte of it: the digests are compared with those the program
// gave before that work (bench/expected-outputs.txt).
namespace OutputCheck {

// One line per output: its name, a blank, its SHA-256 in hex.
QString digests(const QString& workFolder);

// Compares with the expected lines; prints each and a closing
// "N passed, N failed" line. Answers whether all matched.
bool compare(const QString& digestLines, const QString& expectedFile);

} // namespace OutputCheck
