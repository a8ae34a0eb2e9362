// The writer: rows whose cells the file can carry go to bytes and come back
// unchanged. The input is read as Windows-1251 text; byte 0x01 separates
// cells and 0x02 rows, and cells the file cannot carry are dropped.
#include "storage/RegisterFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = RegisterFormat::decode(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    std::vector<QStringList> rows;
    for (QStringView rowText : QStringView(text).tokenize(u'\x02')) {
        QStringList cells;
        for (QStringView cell : rowText.tokenize(u'\x01')) {
            if (!RegisterFormat::firstUnwritable(cell) && cells.size() < RegisterFormat::savedColumns)
                cells.append(cell.toString());
        }
        rows.push_back(cells);
    }

    QByteArray bytes;
    for (const QStringList& cells : rows)
        RegisterFormat::appendLine(bytes, cells);
    const auto parsed = RegisterFormat::parse(bytes);
    if (!parsed || parsed->size() != rows.size())
        std::abort();
    for (size_t r = 0; r < rows.size(); ++r) {
        const QStringList& back = (*parsed)[r];
        if (back.size() != RegisterFormat::savedColumns + 1 || !back.last().isEmpty())
            std::abort();
        for (int c = 0; c < RegisterFormat::savedColumns; ++c)
            if (back[c] != rows[r].value(c))
                std::abort();
    }
    return 0;
}
