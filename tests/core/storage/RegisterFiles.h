#pragma once

#include "grid/GridModel.h"

#include <QByteArray>
#include <QFile>
#include <QStringEncoder>

// Files and grids as the storage tests need them.
namespace RegisterFiles {

inline QByteArray cp1251(const QString& text)
{
    QStringEncoder encoder("windows-1251");
    return encoder.encode(text);
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The grid as the loaders leave it before reading: seven columns, the
// header and one empty entry row.
inline void resetForLoading(GridModel& grid)
{
    grid.setCols(7);
    grid.setRows(1);
    grid.AddItem(QString());
}

} // namespace RegisterFiles
