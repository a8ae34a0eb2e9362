#include "storage/HistorySearch.h"

#include "grid/CaselessText.h"
#include "grid/PackedRow.h"
#include "storage/RegisterFormat.h"

namespace HistorySearch {

namespace {

// The entry's cells when one of them holds the word.
std::optional<QStringList> matching(RowView row, int cells, const CaselessText& word)
{
    bool found = false;
    QStringList texts;
    for (int c = 0; c < cells; ++c) {
        const CellText cell = row.cell(c);
        found = found || word.contains(cell);
        texts << cell.toString();
    }
    if (!found)
        return std::nullopt;
    return texts;
}

} // namespace

Found inRegister(const GridSnapshot& grid, const QString& word, const std::atomic<bool>& cancelled, size_t limit)
{
    const CaselessText wanted(word);
    Found found;
    size_t r = 1;
    for (; r < grid.rows.size() && !cancelled && !found.truncated; ++r) {
        if (auto cells = matching(grid.rows.row(r), grid.cols(), wanted)) {
            found.truncated = found.hits.size() == limit;
            if (!found.truncated)
                found.hits.push_back({int(r), std::move(*cells)});
        }
    }
    if (r < grid.rows.size() && !found.truncated)
        found.status = RegisterReader::Status::Stopped;
    return found;
}

Found inFile(const QString& path, const QString& word, const std::atomic<bool>& cancelled, size_t limit)
{
    const CaselessText wanted(word);
    Found found;
    PackedRow cells;
    int line = 0;
    found.status = RegisterReader::readLines(
        path,
        [&](QByteArrayView bytes) {
            ++line;
            // Most lines hold no such word anywhere: told without splitting them.
            if (found.truncated || !wanted.contains(CellText::fromBytes(bytes)))
                return;
            const int count = RegisterFormat::splitFields(bytes, cells);
            if (auto texts = matching(cells.view(), count, wanted)) {
                found.truncated = found.hits.size() == limit;
                if (!found.truncated)
                    found.hits.push_back({line, std::move(*texts)});
            }
        },
        nullptr, &cancelled);
    return found;
}

} // namespace HistorySearch
