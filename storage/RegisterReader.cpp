#include "storage/RegisterReader.h"

#include "grid/FlexGrid.h"
#include "storage/RegisterFormat.h"

#include <QFile>

namespace RegisterReader {

namespace {
constexpr qint64 blockSize = 1 << 20;
}

Status readLines(const QString& path, const std::function<void(QStringView)>& onLine)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::CannotOpen;
    QString pending;
    QByteArray block(blockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), blockSize);
        if (got < 0)
            return Status::ReadFailed;
        const bool atEnd = got == 0;
        RegisterFormat::appendDecoded(pending, QByteArrayView(block.constData(), got));
        const auto consumed = RegisterFormat::splitLines(pending, atEnd, onLine);
        if (!consumed)
            return Status::LineTooLong;
        pending.remove(0, *consumed);
        if (atEnd)
            return Status::Ok;
    }
}

Status loadInto(FlexGrid& grid, const QString& path)
{
    int lastColumn = 0;
    const Status status = readLines(path, [&](QStringView line) {
        PackedRow cells;
        cells.reserve(line.size() + 8);
        int needed = 0;
        RegisterFormat::forEachField(line, [&](QStringView field) {
            cells.append(field);
            ++needed;
        });
        if (needed > grid.Cols())
            grid.setCols(needed);
        grid.setRowCells(grid.Rows() - 1, std::move(cells));
        lastColumn = needed - 1;
        grid.AddItem(QString());
    });
    if (status != Status::Ok) {
        // The row being filled, from its start: a line that failed is not
        // loaded in part.
        grid.setRow(grid.Rows() - 1);
        grid.setCol(0);
        return status;
    }
    grid.setRows(grid.Rows() - 1);
    if (grid.Rows() > FlexGrid::FixedRows) {
        grid.setRow(grid.Rows() - 1);
        grid.setCol(lastColumn);
    }
    return Status::Ok;
}

} // namespace RegisterReader
