#include "ui/CellBox.h"

#include "grid/FlexGrid.h"
#include "grid/Twips.h"

#include <QLineEdit>

CellBox::CellBox(FlexGrid& grid, QLineEdit& box, std::function<void()> processEvents,
    std::function<void()> blockingPass, WriteCell writeCell)
    : grid_(grid)
    , box_(box)
    , processEvents_(std::move(processEvents))
    , blockingPass_(std::move(blockingPass))
    , writeCell_(std::move(writeCell))
{
}

bool CellBox::pending() const
{
    return box_.isVisibleTo(box_.parentWidget());
}

void CellBox::open()
{
    openedRow_ = grid_.Row();
    openedCol_ = grid_.Col();
    box_.setText(grid_.TextMatrix(grid_.Row(), grid_.Col()));
    const QRect cell(
        grid_.Left() + grid_.CellLeft(), grid_.Top() + grid_.CellTop(), grid_.CellWidth(), grid_.CellHeight());
    box_.setGeometry(Twips::toPixels(cell));
    box_.show();
    box_.raise();
    processEvents_();
    box_.setFocus();
    blockingPass_();
    // The pass may have rewritten the very cell under the box (a blocking
    // date whose activation date changed). Show that value, unless the user
    // has typed meanwhile, so that the commit does not put the old date back.
    if (pending() && !box_.isModified())
        box_.setText(grid_.TextMatrix(grid_.Row(), grid_.Col()));
}

void CellBox::commit()
{
    if (!pending())
        return;
    // Hidden first, so that nothing the write sets off commits it twice.
    box_.hide();
    writeCell_(grid_.Row(), grid_.Col(), box_.text());
}

void CellBox::settle()
{
    if (!pending())
        return;
    box_.hide();
    if (grid_.TextMatrix(openedRow_, openedCol_) != box_.text())
        writeCell_(openedRow_, openedCol_, box_.text());
}

void CellBox::drop()
{
    box_.hide();
}
