#include "rules/BlockingPass.h"

#include "grid/GridModel.h"
#include "register/RegisterLayout.h"
#include "rules/BlockingDate.h"

using RegisterLayout::activationColumn;
using RegisterLayout::blockingColumn;

void runBlockingPass(GridModel& grid, const std::function<bool()>& yieldToEvents, const PassWrite& willWrite,
    const std::function<bool(int row)>& derivedAlready)
{
    const int endRow = grid.Rows() - 1;
    CellText::Scratch scratch;
    for (int row = 1; row <= endRow; ++row) {
        if (row >= grid.Rows())
            continue; // rows were removed while we yielded
        const CellText activation = grid.cellText(row, activationColumn);
        if (activation.isEmpty())
            return;
        if (derivedAlready && derivedAlready(row))
            continue;
        auto blocking = BlockingDate::forActivationText(activation.view(scratch));
        if (!blocking)
            continue;
        if (yieldToEvents()) {
            if (row >= grid.Rows())
                continue;
            blocking = BlockingDate::forActivationText(grid.cellText(row, activationColumn).view(scratch));
            if (!blocking)
                continue;
        }
        const CellText held = grid.cellText(row, blockingColumn);
        if (willWrite && !(held == CellText(blocking->view())))
            willWrite(row, blockingColumn, held, blocking->view());
        grid.setTextMatrix(row, blockingColumn, blocking->view());
    }
}

std::optional<FollowingCell> cellFollowing(const GridModel& grid, int modelRow, int col, QStringView text)
{
    if (modelRow < GridModel::FixedRows || col != activationColumn)
        return std::nullopt;
    const std::optional<BlockingDate::DateText> blocking = BlockingDate::forActivationText(text);
    if (!blocking || grid.cellText(modelRow, blockingColumn) == CellText(blocking->view()))
        return std::nullopt;
    return FollowingCell {blockingColumn, blocking->toString()};
}
