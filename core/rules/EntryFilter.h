#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>
#include <vector>

class GridModel;

// Which entries a view of the register shows: all of them, the units blocked
// (their blocking date is the day or earlier), those blocking within the
// next 30 days, or those whose cell in a column holds a word, compared
// without regard to case as "Поиск" compares.
struct EntryFilter {
    enum class Kind { All, Blocked, Soon, Containing };
    Kind kind = Kind::All;
    QString word; // Containing
    // Containing: the column's key (GridModel::columnKey), so that the filter
    // holds to its column wherever column operations move it; a deleted
    // column holds nothing.
    int column = 0;

    // The model's entry rows it shows, ascending; every one for All. A date
    // that does not read is neither blocked nor blocking soon; the blocking
    // dates are read from their column wherever it stands.
    std::vector<quint32> matches(const GridModel& model, QDate today) const;
};
