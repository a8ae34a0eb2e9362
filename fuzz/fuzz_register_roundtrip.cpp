// The writer's line encoder, the one that saving runs, on rows as the grid
// holds them: rows whose cells the file can carry go to bytes and come back
// unchanged, and a row with a cell it cannot carry is refused whole, naming
// that cell, as is a line too long to read back. A grid row (narrow or wide)
// and its texts are written alike. The input is read as Windows-1251
// text, or as UTF-8 when its first byte is odd, so that rows also go wide;
// byte 0x01 separates cells and 0x02 rows.
#include "storage/RegisterFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = size > 0 && data[0] % 2 ? QString::fromUtf8(input) : RegisterFormat::decode(input);
    std::vector<std::vector<QStringView>> rows;
    QByteArray bytes;
    for (QStringView rowText : QStringView(text).tokenize(u'\x02')) {
        std::vector<QStringView> cells;
        std::vector<CellText> texts;
        for (QStringView cell : rowText.tokenize(u'\x01')) {
            cells.push_back(cell);
            texts.push_back(cell);
        }
        PackedRow row; // from the last cell back: padded, then filled in
        for (size_t c = cells.size(); c-- > 0;)
            row.setCell(int(c), cells[c]);
        for (size_t c = 0; c < cells.size(); ++c)
            if (row.cell(int(c)) != CellText(cells[c]))
                std::abort();
        const qsizetype before = bytes.size();
        const auto refused = RegisterFormat::appendLine(bytes, row.view());
        QByteArray byFields;
        const auto refusedByFields = RegisterFormat::appendLine(byFields, texts);
        if (bytes.sliced(before) != byFields || refused.has_value() != refusedByFields.has_value() ||
            (refused &&
                (refused->column != refusedByFields->column || refused->character != refusedByFields->character ||
                    refused->lineTooLong != refusedByFields->lineTooLong)))
            std::abort();
        for (size_t c = 0; c < cells.size(); ++c)
            row.setCell(int(c), QStringView());
        if (row.isWide())
            std::abort(); // the last character without a byte has left
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
