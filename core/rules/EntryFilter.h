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
    int column = 0; // Containing

    // The model's entry rows it shows, ascending; every one for All. A date
    // that does not read is neither blocked nor blocking soon.
    std::vector<quint32> matches(const GridModel& model, QDate today) const;
};
