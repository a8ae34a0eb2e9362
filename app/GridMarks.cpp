#include "app/GridMarks.h"

#include "app/Plural.h"
#include "grid/FlexGrid.h"
#include "register/RegisterLayout.h"
#include "rules/BlockingStatus.h"
#include "ui/GridWidget.h"

namespace {

// Fixed pairs, readable on any theme, and far from the selection's
// RGB(255, 128, 128), so that a marked row never looks selected.
const QColor blockedBack(139, 0, 0);
const QColor blockedFore(Qt::white);
const QColor soonBack(255, 193, 7);
const QColor soonFore(Qt::black);

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
{
    widget_.setMarker([this](int row, int col) -> std::optional<GridWidget::Mark> {
        if (row < FlexGrid::FixedRows ||
            (col != RegisterLayout::blockingColumn && col != RegisterLayout::serialColumn))
            return std::nullopt;
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
    });
}

void GridMarks::setToday(QDate today)
{
    today_ = today;
    widget_.viewport()->update();
}
