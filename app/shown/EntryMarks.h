#pragma once

#include "rules/DuplicateSerials.h"
#include "ui/GridWidget.h"

#include <QDate>
#include <optional>

class FlexGrid;

// The marks on the grid that tell at a glance what needs doing: units
// blocked or blocking within 30 days (on their blocking date and serial
// number), and entries that cannot be right: a serial number another entry
// holds too, an activation date that does not read. Each with its tooltip,
// each a fixed pair of colours of its own that reads on a light and a dark
// theme; they follow every change and are never saved or printed.
class EntryMarks {
public:
    EntryMarks(FlexGrid& grid, GridWidget& widget);

    // The day the marks are judged on; the clock's when not set.
    void setToday(QDate today);
    DuplicateSerials& duplicates() { return duplicates_; }

private:
    std::optional<GridWidget::Mark> markOf(int row, int col, QString* tip) const;
    std::optional<GridWidget::Mark> blockingMark(int row, QString* tip) const;
    QString repeatedTip(int row) const;

    FlexGrid& grid_;
    GridWidget& widget_;
    DuplicateSerials duplicates_;
    QDate today_;
};
