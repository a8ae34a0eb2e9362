#pragma once

#include <QList>
#include <QString>

struct BenchRow {
    QString operation;
    int entries;
};

// The operations and sizes of the table, in order.
QList<BenchRow> benchRows();

// The header of the table and one row: one operation on a copy of the
// register in registerFile, runs times, with its floor and peak memory.
QString tableHeader();
QString measure(const QString& operation, const QString& registerFile, int entries, int runs);
