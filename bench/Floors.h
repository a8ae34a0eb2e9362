#pragma once

#include <QString>

// What the hardware needs at the least for the work behind an operation,
// measured on the same file in the same run, in milliseconds (median of
// five). Operations are reported as multiples of these.
namespace Floors {

// Reading the file's bytes and counting its fields and lines in a plain loop.
double read(const QString& registerFile);

// Writing the same bytes to a file.
double write(const QString& registerFile, const QString& folder);

// std::stable_sort of one column's texts.
double sort(const QString& registerFile, int column);

} // namespace Floors
