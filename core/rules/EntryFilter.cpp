#include "rules/EntryFilter.h"

#include "grid/CaselessText.h"
#include "grid/GridModel.h"
#include "register/RegisterLayout.h"
#include "rules/BlockingDate.h"
#include "rules/BlockingStatus.h"

std::vector<quint32> EntryFilter::matches(const GridModel& model, QDate today) const
{
    // Room for every entry at once: never more than 4 bytes an entry, and
    // no copies while it grows.
    std::vector<quint32> rows;
    const int end = model.Rows();
    rows.reserve(size_t(end));
    if (kind == Kind::Containing) {
        const CaselessText wanted(word);
        const int col = model.columnWithKey(column);
        for (int row = GridModel::FixedRows; row < end && col >= 0; ++row)
            if (wanted.contains(model.cellText(row, col)))
                rows.push_back(quint32(row));
        return rows;
    }
    // Day numbers, so that a million dates are read without a QDate each.
    const std::optional<int> day = BlockingDate::dayNumber(today.toString(QStringLiteral("dd.MM.yyyy")));
    CellText::Scratch scratch;
    const int blockingAt = model.columnWithKey(RegisterLayout::blockingColumn);
    for (int row = GridModel::FixedRows; row < end; ++row) {
        bool shown = kind == Kind::All;
        if (!shown && day) {
            const std::optional<int> blocking = BlockingDate::dayNumber(model.cellText(row, blockingAt).view(scratch));
            const int until = blocking ? *blocking - *day : 0;
            shown = blocking && (kind == Kind::Blocked ? until <= 0 : until > 0 && until <= BlockingStatus::soonDays);
        }
        if (shown)
            rows.push_back(quint32(row));
    }
    return rows;
}
