#include "due/DueRecords.h"

#include "grid/PackedRow.h"
#include "rules/BlockingDate.h"
#include "storage/RegisterFormat.h"

#include <QChar>
#include <array>

DueRecords::DueRecords(QDate keepFrom, QDate keepTo, Columns columns)
    : keepFrom_(keepFrom)
    , keepTo_(keepTo)
    , columns_(columns)
{
}

qsizetype DueRecords::appendKey(const CellText& cell, bool dropAll)
{
    CellText::Scratch scratch;
    QStringView text = cell.view(scratch);
    if (!dropAll)
        text = text.trimmed();
    const size_t start = keys_.size();
    for (const QChar ch : text)
        if (!dropAll || !ch.isSpace())
            keys_.push_back(ch.toCaseFolded().unicode());
    return qsizetype(keys_.size() - start);
}

void DueRecords::add(int row, RowView cells)
{
    std::array<CellText, RegisterLayout::savedColumns> saved;
    cells.readCells(saved);
    if (std::all_of(saved.begin(), saved.end(), [](const CellText& cell) { return cell.isEmpty(); }))
        return;
    Record record;
    record.row = row;
    CellText::Scratch scratch;
    const QStringView activation = cells.cell(columns_.activation).view(scratch);
    if (const std::optional<int> day = BlockingDate::dayNumber(activation)) {
        record.activationDay = *day;
        record.blocking = BlockingDate::forActivation(activation).value_or(QDate());
    }
    record.serialAt = qsizetype(keys_.size());
    record.serialSize = appendKey(cells.cell(columns_.serial), false);
    record.cashAt = qsizetype(keys_.size());
    const qsizetype model = appendKey(cells.cell(columns_.model), true);
    keys_.push_back(u'\n'); // between the two: no blank is kept, so none is this
    const qsizetype number = appendKey(cells.cell(columns_.number), true);
    record.cashSize = model > 0 && number > 0 ? model + 1 + number : 0;
    if (record.blocking.isValid() && record.blocking >= keepFrom_ && record.blocking <= keepTo_) {
        QStringList texts;
        for (const CellText& cell : saved)
            texts << cell.toString();
        record.kept = int(kept_.size());
        kept_.push_back(std::move(texts));
    }
    records_.push_back(record);
}

DueRecords DueRecords::fromFile(const QString& path, QDate keepFrom, QDate keepTo, const std::atomic<bool>* stop)
{
    DueRecords records(keepFrom, keepTo);
    PackedRow cells;
    int line = 0;
    records.status_ = RegisterReader::readLines(
        path,
        [&](QByteArrayView bytes) {
            RegisterFormat::splitFields(bytes, cells);
            records.add(++line, cells.view());
        },
        nullptr, stop);
    return records;
}

DueRecords DueRecords::fromGrid(const GridSnapshot& grid, Columns columns, QDate keepFrom, QDate keepTo)
{
    DueRecords records(keepFrom, keepTo, columns);
    for (size_t r = 1; r < grid.rows.size(); ++r)
        records.add(int(r), grid.rows.row(r));
    return records;
}
