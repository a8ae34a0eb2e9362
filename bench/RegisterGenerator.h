#pragma once

#include <QByteArray>

// A register of the given number of entries in the file format: serial and
// registration numbers, valid activation dates, Cyrillic models and owners.
// The same count always gives the same bytes.
QByteArray generateRegister(int entries);
