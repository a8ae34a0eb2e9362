// The writer's line encoder, the one that saving runs: rows whose cells the
// file can carry go to bytes and come back unchanged, and a row with a cell it
// cannot carry is refused whole, naming that cell, as is a line too long to
// read back. The input is read as
// Windows-1251 text; byte 0x01 separates cells and 0x02 rows.
#include "storage/RegisterFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = RegisterFormat::decode(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    std::vector<std::vector<QStringView>> rows;
    QByteArray bytes;
    for (QStringView rowText : QStringView(text).tokenize(u'\x02')) {
        std::vector<QStringView> cells;
        for (QStringView cell : rowText.tokenize(u'\x01'))
            cells.push_back(cell);
        const qsizetype before = bytes.size();
        const auto refused = RegisterFormat::appendLine(bytes, cells);
        qsizetype length = RegisterFormat::savedColumns; // the semicolons
        for (int c = 0; c < RegisterFormat::savedColumns && c < int(cells.size()); ++c)
            length += cells[c].size();
        if (length > RegisterFormat::maxLineLength) { // could not be read back
            if (!refused || !refused->lineTooLong || bytes.size() != before)
                std::abort();
            continue;
        }
        int firstBad = -1;
        for (int c = 0; c < RegisterFormat::savedColumns && c < int(cells.size()) && firstBad < 0; ++c)
            if (RegisterFormat::firstUnwritable(cells[c]))
                firstBad = c;
        if (refused.has_value() != (firstBad >= 0) || (refused && refused->column != firstBad) ||
            (refused && bytes.size() != before))
            std::abort();
        if (!refused)
            rows.push_back(cells);
    }

    const auto parsed = RegisterFormat::parse(bytes);
    if (!parsed || parsed->size() != rows.size())
        std::abort();
    for (size_t r = 0; r < rows.size(); ++r) {
        const QStringList& back = (*parsed)[r];
        if (back.size() != RegisterFormat::savedColumns + 1 || !back.last().isEmpty())
            std::abort();
        for (int c = 0; c < RegisterFormat::savedColumns; ++c) {
            const QStringView expected = c < int(rows[r].size()) ? rows[r][c] : QStringView();
            if (back[c] != expected)
                std::abort();
        }
    }
    return 0;
}
