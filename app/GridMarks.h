#pragma once

#include <QDate>

class FlexGrid;
class GridWidget;

// The marks on the grid that tell at a glance what needs doing: units
// blocked or blocking within 30 days, on their blocking date and serial
// number, with their tooltips. They are never saved or printed.
class GridMarks
{
public:
    GridMarks(FlexGrid& grid, GridWidget& widget);

    // The day the marks are judged on; the clock's when not set.
    void setToday(QDate today);

private:
    FlexGrid& grid_;
    GridWidget& widget_;
    QDate today_;
};
