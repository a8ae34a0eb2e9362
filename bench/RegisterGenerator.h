#pragma once

#include <QString>

// Writes a register of the given number of entries in the file format:
// serial and registration numbers, valid activation dates, Cyrillic models
// and owners. The same count always gives the same bytes. Answers whether
// the file was written.
bool writeRegister(const QString& path, int entries);
