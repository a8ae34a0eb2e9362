#include "app/document/RegisterMerger.h"

#include "app/desktop/Desktop.h"
#include "due/DueReport.h"
#include "editing/EntriesCommand.h"
#include "grid/FlexGrid.h"
#include "register/RegisterLayout.h"
#include "storage/RegisterReader.h"
#include "storage/RegisterWriter.h"

#include <QFileInfo>

const QString RegisterMerger::stepText = QStringLiteral("Слияние с изменениями другого рабочего места");

namespace {

using RegisterLayout::savedColumns;

MergeSide sideOf(const GridModel& model)
{
    return {model.Rows() - GridModel::FixedRows,
        [&model](int entry) { return model.rowView(entry + GridModel::FixedRows); }};
}

MergeSide sideOf(const RowStore::Snapshot& rows)
{
    return {int(rows.size()) - GridModel::FixedRows,
        [&rows](int entry) { return rows.row(size_t(entry + GridModel::FixedRows)); }};
}

QString lineOf(RowView row)
{
    QStringList cells;
    for (int column = 0; column < savedColumns; ++column)
        cells << row.cell(column).toString();
    return cells.join(QStringLiteral("; "));
}

QString entryName(RowView row, int entry, const QString& where)
{
    const QString serial = row.cell(RegisterLayout::serialColumn).toString().trimmed();
    const QString place = QStringLiteral("строка %1%2").arg(entry + GridModel::FixedRows).arg(where);
    return serial.isEmpty() ? place : QStringLiteral("%1 (%2)").arg(serial, place);
}

std::vector<Desktop::Conflict> describe(const RegisterMerge& merge, const GridModel& ours, const GridModel& theirs)
{
    const QStringList captions = DueReport::captions();
    const QString deleted = QStringLiteral("запись удалена");
    const QString whole = QStringLiteral("вся запись");
    std::vector<Desktop::Conflict> rows;
    for (const RegisterMerge::Conflict& conflict : merge.conflicts()) {
        const int here = conflict.ours + GridModel::FixedRows;
        const int there = conflict.theirs + GridModel::FixedRows;
        switch (conflict.kind) {
        case RegisterMerge::Conflict::Kind::Cell:
            rows.push_back({entryName(ours.rowView(here), conflict.ours, QString()), captions.value(conflict.column),
                theirs.TextMatrix(there, conflict.column), ours.TextMatrix(here, conflict.column)});
            break;
        case RegisterMerge::Conflict::Kind::DeletedHere:
            rows.push_back({entryName(theirs.rowView(there), conflict.theirs, QStringLiteral(" там")), whole,
                lineOf(theirs.rowView(there)), deleted});
            break;
        case RegisterMerge::Conflict::Kind::DeletedThere:
            rows.push_back(
                {entryName(ours.rowView(here), conflict.ours, QString()), whole, deleted, lineOf(ours.rowView(here))});
            break;
        }
    }
    return rows;
}

// The grid's entries as the merge left them: ours kept where they stand,
// rewritten where theirs changed them, theirs added.
std::vector<EntriesCommand::Entry> entriesOf(
    const RegisterMerge& merge, const RegisterMerge::Result& result, const GridModel& ours, bool& changes)
{
    std::vector<EntriesCommand::Entry> entries;
    entries.reserve(result.pieces.size());
    changes = result.pieces.size() != size_t(ours.Rows() - GridModel::FixedRows);
    for (const RegisterMerge::Piece& piece : result.pieces) {
        EntriesCommand::Entry entry;
        if (piece.ours != EntryMatching::none)
            entry.row = piece.ours + GridModel::FixedRows;
        changes = changes || entry.row != int(entries.size()) + GridModel::FixedRows;
        if (piece.theirs != EntryMatching::none) {
            // Columns past the saved ones keep what this desk typed there.
            PackedRow cells = entry.row != 0 ? ours.rowCells(entry.row) : PackedRow();
            bool changed = entry.row == 0;
            for (int column = 0; column < savedColumns; ++column) {
                const QString text = merge.text(piece, column);
                if (entry.row == 0)
                    cells.append(text);
                else
                    changed = cells.setCell(column, text) || changed;
            }
            if (changed)
                entry.cells = std::move(cells);
            changes = changes || changed;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

RegisterMerger::Outcome RegisterMerger::join(FlexGrid& grid, const RowStore::Snapshot& base, const QString& path,
    const QString& otherDesk, Desktop& desktop, Joined& joined)
{
    GridModel theirs;
    joined.stamp = FileStamp::of(path);
    {
        const Desktop::BusyScope busy(desktop);
        if (!joined.stamp ||
            RegisterReader::loadInto(theirs, path, {&joined.contents, false, nullptr}) != RegisterReader::Status::Ok)
            return Outcome::NotARegister;
    }
    if (RegisterWriter::firstTextNotSaved(theirs))
        return Outcome::NotARegister;
    const GridModel& ours = grid.model();
    const RegisterMerge merge(sideOf(base), sideOf(ours), sideOf(theirs));
    std::vector<bool> choices;
    if (!merge.conflicts().empty()) {
        const QString who = otherDesk.isEmpty() ? QStringLiteral("на другом рабочем месте")
                                                : QStringLiteral("на другом рабочем месте (%1)").arg(otherDesk);
        const QString intro =
            QStringLiteral("Журнал «%1» сохранён %2 после того, как его открыли или сохранили здесь. Эти записи "
                           "изменены и там, и здесь: выберите, что оставить. Остальные изменения обеих сторон "
                           "будут сохранены вместе.")
                .arg(QFileInfo(path).fileName(), who);
        const std::optional<std::vector<bool>> chosen = desktop.chooseVersions(intro, describe(merge, ours, theirs));
        if (!chosen)
            return Outcome::Cancelled;
        choices = *chosen;
    }
    const RegisterMerge::Result result = merge.result(choices);
    joined.counts = result.counts;
    bool changes = false;
    std::vector<EntriesCommand::Entry> entries = entriesOf(merge, result, ours, changes);
    if (changes)
        joined.step = std::make_unique<EntriesCommand>(grid, stepText, entries);
    joined.base = theirs.snapshot().rows;
    return Outcome::Joined;
}

QString RegisterMerger::countsText(const RegisterMerge::Counts& counts)
{
    return QStringLiteral("добавлено %1, изменено %2, удалено %3 записей")
        .arg(counts.added)
        .arg(counts.changed)
        .arg(counts.deleted);
}
