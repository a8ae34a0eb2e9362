#include "app/document/RegisterMerger.h"

#include "app/desktop/Desktop.h"
#include "due/DueReport.h"
#include "editing/EntriesCommand.h"
#include "grid/FlexGrid.h"
#include "register/RegisterLayout.h"
#include "rules/BlockingPass.h"
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
// rewritten where theirs changed them, theirs added. changes: whether that
// is not the grid as it is.
EntriesCommand::Entries entriesOf(
    const RegisterMerge& merge, const RegisterMerge::Result& result, const GridModel& ours, bool& changes)
{
    EntriesCommand::Entries entries;
    entries.rows.reserve(result.pieces.size());
    changes = result.pieces.size() != size_t(ours.Rows() - GridModel::FixedRows);
    for (const RegisterMerge::Piece& piece : result.pieces) {
        const size_t at = entries.rows.size();
        const int row = piece.ours != EntryMatching::none ? piece.ours + GridModel::FixedRows : 0;
        entries.rows.push_back(row);
        changes = changes || row != int(at) + GridModel::FixedRows;
        if (piece.theirs == EntryMatching::none)
            continue;
        // Columns past the saved ones keep what this desk typed there.
        PackedRow cells = row != 0 ? ours.rowCells(row) : PackedRow();
        bool changed = row == 0;
        for (int column = 0; column < savedColumns; ++column) {
            const QString text = merge.text(piece, column);
            if (row == 0)
                cells.append(text);
            else
                changed = cells.setCell(column, text) || changed;
        }
        if (changed)
            entries.cells.emplace_back(at, std::move(cells));
        changes = changes || changed;
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
    // Read as a load reads it, blocking dates derived: as the base was. An
    // entry that is the base's entry at its place, byte for byte, was
    // derived with it.
    runBlockingPass(
        theirs, [] { return false; }, {},
        [&](int row) {
            if (size_t(row) >= base.size())
                return false;
            return MergeSide::sameBytes(base.row(size_t(row)), theirs.rowView(row));
        });
    const GridModel& ours = grid.model();
    const RegisterMerge merge(sideOf(base), sideOf(ours), sideOf(theirs));
    std::vector<bool> choices;
    if (!merge.conflicts().empty()) {
        const QString who = QStringLiteral("на ") + otherDeskText(otherDesk);
        const QString intro =
            QStringLiteral("Журнал «%1» сохранён %2 после того, как его открыли или сохранили здесь. Эти записи "
                           "изменены и там, и здесь: выберите, что оставить. Остальные изменения обеих сторон "
                           "будут сохранены вместе.")
                .arg(QFileInfo(path).fileName(), who);
        const std::optional<std::vector<bool>> chosen = desktop.chooseVersions(intro, describe(merge, ours, theirs));
        if (!chosen)
            return Outcome::Cancelled;
        choices = *chosen;
        joined.asked = true;
    }
    const RegisterMerge::Result result = merge.result(choices);
    joined.counts = result.counts;
    bool changes = false;
    EntriesCommand::Entries entries = entriesOf(merge, result, ours, changes);
    if (changes)
        joined.step = std::make_unique<EntriesCommand>(grid, stepText, std::move(entries));
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

QString RegisterMerger::otherDeskText(const QString& otherDesk)
{
    const QString desk = QStringLiteral("другом рабочем месте");
    return otherDesk.isEmpty() ? desk : QStringLiteral("%1 (%2)").arg(desk, otherDesk);
}
