#include "storage/RegisterWriter.h"

#include "grid/FlexGrid.h"
#include "storage/RegisterFormat.h"

#include <QSaveFile>

namespace RegisterWriter {

namespace {
constexpr qsizetype flushSize = 1 << 20;
}

Outcome save(FlexGrid& grid, const QString& path)
{
    Outcome outcome;
    QSaveFile file(path);
    const bool opened = file.open(QIODevice::WriteOnly);
    if (!opened) {
        outcome.kind = Outcome::Kind::CannotOpen;
        outcome.error = file.error();
    }

    QByteArray buffer;
    buffer.reserve(flushSize + 4096);
    auto flush = [&] {
        if (opened && file.write(buffer) != buffer.size() && outcome.saved()) {
            outcome.kind = Outcome::Kind::WriteFailed;
            outcome.error = file.error();
        }
        outcome.bytes += buffer.size();
        buffer.clear();
    };

    const int rows = grid.Rows();
    for (int r = 1; r < rows; ++r) {
        grid.setRow(r);
        for (int c = 0; c < RegisterFormat::savedColumns; ++c) {
            // Columns a narrow grid lacks are written empty.
            const bool present = grid.setCol(c);
            const QStringView text = present ? grid.cellText(grid.Row(), grid.Col()) : QStringView();
            if (const auto bad = RegisterFormat::firstUnwritable(text)) {
                file.cancelWriting();
                outcome.kind = Outcome::Kind::CellUnwritable;
                outcome.row = grid.Row();
                outcome.col = c;
                outcome.character = RegisterFormat::characterAt(text, *bad);
                return outcome;
            }
            RegisterFormat::appendEncoded(buffer, text);
            buffer.append(';');
        }
        buffer.append("\r\n");
        if (buffer.size() >= flushSize)
            flush();
    }
    flush();
    if (!outcome.saved()) {
        file.cancelWriting();
        return outcome;
    }
    if (!file.commit()) {
        outcome.kind = Outcome::Kind::WriteFailed;
        outcome.error = file.error();
    }
    return outcome;
}

} // namespace RegisterWriter
