#include "app/shown/EntryMarks.h"

#include "app/desktop/Plural.h"
#include "grid/FlexGrid.h"
#include "register/RegisterLayout.h"
#include "rules/BlockingDate.h"
#include "rules/BlockingStatus.h"

namespace {

// Fixed pairs, readable on any theme, and far from the selection's
// RGB(255, 128, 128), so that a marked row never looks selected.
const QColor blockedBack(139, 0, 0);
const QColor blockedFore(Qt::white);
const QColor soonBack(255, 193, 7);
const QColor soonFore(Qt::black);
// Entries that cannot be right: neither red nor amber, so that they are
// not taken for blocked units.
const QColor repeatedBack(106, 27, 154);
const QColor repeatedFore(Qt::white);
const QColor unreadableBack(0, 96, 100);
const QColor unreadableFore(Qt::white);

QString tipFor(const BlockingStatus& status)
{
    if (status.state == BlockingStatus::State::Blocked)
        return status.days == 0
                   ? QStringLiteral("заблокирована сегодня")
                   : QStringLiteral("заблокирована %1 назад").arg(Plural::count(status.days, "день", "дня", "дней"));
    return QStringLiteral("блокируется в течение 30 дней: через %1")
        .arg(Plural::count(status.days, "день", "дня", "дней"));
}

} // namespace

EntryMarks::EntryMarks(FlexGrid& grid, GridWidget& widget)
    : grid_(grid)
    , widget_(widget)
    , duplicates_(grid.model())
{
    widget_.setMarker([this](int row, int col, QString* tip) { return markOf(row, col, tip); });
    QObject::connect(&duplicates_, &DuplicateSerials::changed, &widget_, [this] { widget_.viewport()->update(); });
}

std::optional<GridWidget::Mark> EntryMarks::markOf(int row, int col, QString* tip) const
{
    if (row < FlexGrid::FixedRows)
        return std::nullopt;
    // The register's columns wherever column operations moved them.
    const int key = grid_.model().columnKey(col);
    if (key == RegisterLayout::serialColumn && duplicates_.isDuplicate(grid_.modelRow(row))) {
        if (tip)
            *tip = repeatedTip(row);
        return GridWidget::Mark {repeatedBack, repeatedFore};
    }
    if (key == RegisterLayout::activationColumn) {
        CellText::Scratch scratch;
        const QStringView activation = grid_.cellText(row, col).view(scratch);
        if (activation.isEmpty() || BlockingDate::readDate(activation))
            return std::nullopt;
        if (tip)
            *tip = QStringLiteral("Дата активации не читается: дата блокировки не рассчитана");
        return GridWidget::Mark {unreadableBack, unreadableFore};
    }
    if (key == RegisterLayout::blockingColumn || key == RegisterLayout::serialColumn)
        return blockingMark(row, tip);
    return std::nullopt;
}

// The entries holding the serial number (a walk over the register), by the
// rows they are shown in, and how many a filter hides.
QString EntryMarks::repeatedTip(int row) const
{
    QStringList rows;
    int hidden = 0;
    for (const int holder : duplicates_.rowsHolding(grid_.modelRow(row))) {
        const int shown = grid_.viewRow(holder);
        if (shown < 0)
            ++hidden;
        else
            rows << QString::number(shown);
    }
    QString tip = QStringLiteral("Номер повторяется: строки %1").arg(rows.join(QStringLiteral(", ")));
    if (hidden > 0)
        tip += QStringLiteral(" и ещё %1 не показано").arg(Plural::count(hidden, "запись", "записи", "записей"));
    return tip;
}

std::optional<GridWidget::Mark> EntryMarks::blockingMark(int row, QString* tip) const
{
    CellText::Scratch scratch;
    const int blockingAt = grid_.model().columnWithKey(RegisterLayout::blockingColumn);
    const BlockingStatus status = BlockingStatus::of(
        grid_.cellText(row, blockingAt).view(scratch), today_.isValid() ? today_ : QDate::currentDate());
    if (status.state == BlockingStatus::State::None)
        return std::nullopt;
    if (tip)
        *tip = tipFor(status);
    return status.state == BlockingStatus::State::Blocked ? GridWidget::Mark {blockedBack, blockedFore}
                                                          : GridWidget::Mark {soonBack, soonFore};
}

void EntryMarks::setToday(QDate today)
{
    today_ = today;
    widget_.viewport()->update();
}
