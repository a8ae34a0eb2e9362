#include "app/GridMarks.h"

#include "app/Plural.h"
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
        return status.days == 0 ? QStringLiteral("заблокирована сегодня")
                                : QStringLiteral("заблокирована %1 назад")
                                      .arg(Plural::count(status.days, "день", "дня", "дней"));
    return QStringLiteral("блокируется в течение 30 дней: через %1")
        .arg(Plural::count(status.days, "день", "дня", "дней"));
}

} // namespace

GridMarks::GridMarks(FlexGrid& grid, GridWidget& widget)
    : grid_(grid)
    , widget_(widget)
    , duplicates_(grid.model())
{
    widget_.setMarker([this](int row, int col) { return markOf(row, col); });
    QObject::connect(&duplicates_, &DuplicateSerials::changed, &widget_, [this] { widget_.viewport()->update(); });
}

std::optional<GridWidget::Mark> GridMarks::markOf(int row, int col) const
{
    if (row < FlexGrid::FixedRows)
        return std::nullopt;
    if (col == RegisterLayout::serialColumn && duplicates_.isDuplicate(grid_.modelRow(row))) {
        QStringList rows;
        for (const int holder : duplicates_.rowsHolding(grid_.modelRow(row)))
            rows << QString::number(holder);
        return GridWidget::Mark{repeatedBack, repeatedFore,
                                QStringLiteral("Номер повторяется: строки %1").arg(rows.join(QStringLiteral(", ")))};
    }
    if (col == RegisterLayout::activationColumn) {
        CellText::Scratch scratch;
        const QStringView activation = grid_.cellText(row, col).view(scratch);
        if (activation.isEmpty() || BlockingDate::readDate(activation))
            return std::nullopt;
        return GridWidget::Mark{unreadableBack, unreadableFore,
                                QStringLiteral("Дата активации не читается: дата блокировки не рассчитана")};
    }
    if (col == RegisterLayout::blockingColumn || col == RegisterLayout::serialColumn)
        return blockingMark(row);
    return std::nullopt;
}

std::optional<GridWidget::Mark> GridMarks::blockingMark(int row) const
{
    CellText::Scratch scratch;
    const BlockingStatus status =
        BlockingStatus::of(grid_.cellText(row, RegisterLayout::blockingColumn).view(scratch),
                           today_.isValid() ? today_ : QDate::currentDate());
    switch (status.state) {
    case BlockingStatus::State::Blocked:
        return GridWidget::Mark{blockedBack, blockedFore, tipFor(status)};
    case BlockingStatus::State::Soon:
        return GridWidget::Mark{soonBack, soonFore, tipFor(status)};
    case BlockingStatus::State::None:
        break;
    }
    return std::nullopt;
}

void GridMarks::setToday(QDate today)
{
    today_ = today;
    widget_.viewport()->update();
}
