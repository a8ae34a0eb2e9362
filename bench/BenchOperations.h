#pragma once

#include <QList>
#include <QString>

struct BenchRow
{
    QString operation;
    int entries;
};

// The operations and sizes of the table, in order.
QList<BenchRow> benchRows();

// Runs one operation on a register of the given size, runs times, and prints
// one table row: operation, entries, median, minimum, maximum and peak memory.
int runOperation(const QString& operation, int entries, int runs, int argc, char** argv);
